// A JPEG file's own bytes go into a vector file only when every reader shows
// them as the picture Brisol loaded: the marker check, on files made of
// their markers here, and on truncated and garbage bytes.
#include "vector/EmbeddedImages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace brisol {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A marker segment: FF, the marker, the length (its two bytes included), the payload.
Bytes Segment(std::uint8_t marker, const Bytes& payload) {
  Bytes s(payload.size() + 4);
  s[0] = 0xFF;
  s[1] = marker;
  s[2] = static_cast<std::uint8_t>((payload.size() + 2) >> 8);
  s[3] = static_cast<std::uint8_t>((payload.size() + 2) & 0xFF);
  std::copy(payload.begin(), payload.end(), s.begin() + 4);
  return s;
}

// A frame header: precision, height, width, components (each three bytes).
Bytes Frame(std::uint8_t marker, int precision, int width, int height, int components) {
  Bytes p = {static_cast<std::uint8_t>(precision),     static_cast<std::uint8_t>(height >> 8),
             static_cast<std::uint8_t>(height & 0xFF), static_cast<std::uint8_t>(width >> 8),
             static_cast<std::uint8_t>(width & 0xFF),  static_cast<std::uint8_t>(components)};
  for (int c = 0; c < components; ++c) {
    p.push_back(static_cast<std::uint8_t>(c + 1));
    p.push_back(0x11);
    p.push_back(0);
  }
  return Segment(marker, p);
}

// An EXIF segment (big-endian TIFF) with one orientation entry.
Bytes Exif(int orientation) {
  Bytes p = {'E',  'x',  'i', 'f', 0, 0, 'M', 'M', 0, 42,
             0,    0,    0,   8,   0, 1,  // one entry
             0x01, 0x12, 0,   3,   0, 0, 0,   1,   0, static_cast<std::uint8_t>(orientation),
             0,    0,    0,   0,   0, 0};
  return Segment(0xE1, p);
}

// An Adobe segment with its colour transform flag.
Bytes Adobe(int transform) {
  return Segment(0xEE, {'A', 'd', 'o', 'b', 'e', 0, 100, 0, 0, 0, 0, static_cast<std::uint8_t>(transform)});
}

Bytes Jpeg(std::initializer_list<Bytes> segments, bool scan = true) {
  Bytes file = {0xFF, 0xD8};
  auto append = [&file](const Bytes& bytes) {
    for (const std::uint8_t b : bytes) file.push_back(b);
  };
  for (const Bytes& s : segments) append(s);
  if (scan) {
    append(Segment(0xDA, {1, 1, 0, 0, 63, 0}));
    append({0x12, 0x34, 0xFF, 0xD9});
  }
  return file;
}

constexpr SIZE kPhoto{64, 48};

TEST(JpegBytesStandFor, OnlyFilesEveryReaderShowsAsLoaded) {
  const Bytes jfif = Segment(0xE0, {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
  const Bytes table = Segment(0xC4, Bytes(20, 0));
  struct Case {
    const char* name;
    Bytes file;
    bool stands;
  };
  const Case cases[] = {
      {"baseline colour", Jpeg({jfif, Frame(0xC0, 8, 64, 48, 3), table}), true},
      {"baseline grey", Jpeg({Frame(0xC0, 8, 64, 48, 1)}), true},
      {"extended sequential", Jpeg({Frame(0xC1, 8, 64, 48, 3)}), true},
      {"progressive", Jpeg({Frame(0xC2, 8, 64, 48, 3)}), true},
      {"fill bytes before a marker", Jpeg({Bytes{0xFF, 0xFF}, Frame(0xC0, 8, 64, 48, 3)}), true},
      {"upright orientation", Jpeg({Exif(1), Frame(0xC0, 8, 64, 48, 3)}), true},
      {"YCbCr Adobe segment", Jpeg({Adobe(1), Frame(0xC0, 8, 64, 48, 3)}), true},
      {"turned orientation", Jpeg({Exif(6), Frame(0xC0, 8, 64, 48, 3)}), false},
      {"mirrored orientation", Jpeg({Exif(2), Frame(0xC0, 8, 64, 48, 3)}), false},
      {"Adobe RGB without transform", Jpeg({Adobe(0), Frame(0xC0, 8, 64, 48, 3)}), false},
      {"Adobe YCCK", Jpeg({Adobe(2), Frame(0xC0, 8, 64, 48, 4)}), false},
      {"CMYK", Jpeg({Frame(0xC0, 8, 64, 48, 4)}), false},
      {"two components", Jpeg({Frame(0xC0, 8, 64, 48, 2)}), false},
      {"12-bit", Jpeg({Frame(0xC1, 12, 64, 48, 3)}), false},
      {"lossless", Jpeg({Frame(0xC3, 8, 64, 48, 3)}), false},
      {"arithmetic coding", Jpeg({Frame(0xC9, 8, 64, 48, 3)}), false},
      {"hierarchical", Jpeg({Frame(0xC5, 8, 64, 48, 3)}), false},
      {"another width", Jpeg({Frame(0xC0, 8, 65, 48, 3)}), false},
      {"another height", Jpeg({Frame(0xC0, 8, 64, 47, 3)}), false},
      {"no frame before the scan", Jpeg({jfif, table}), false},
      {"no scan", Jpeg({Frame(0xC0, 8, 64, 48, 3)}, false), false},
      {"no start of image", Bytes{0xFF, 0xD9, 0xFF, 0xD8}, false},
      {"empty", Bytes{}, false},
      {"garbage", Bytes(100, 0x5A), false},
      {"a PNG signature", Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 0}, false},
      {"a segment longer than the file", Jpeg({Segment(0xE0, Bytes(10, 0))}, false), false},
      {"a segment length below two", Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x01, 0xFF, 0xDA}, false},
      {"bytes where a marker belongs", Bytes{0xFF, 0xD8, 0x00, 0xE0, 0x00, 0x04, 0, 0}, false},
      {"a frame header too short", Jpeg({Segment(0xC0, {8, 0, 48})}), false},
  };
  for (const Case& c : cases) EXPECT_EQ(JpegBytesStandFor(c.file, kPhoto), c.stands) << c.name;

  // Every truncation of a good file either still shows the size before the
  // scan or is refused; none is read beyond its end.
  const Bytes good = Jpeg({jfif, Exif(1), Frame(0xC0, 8, 64, 48, 3), table});
  for (std::size_t n = 0; n < good.size(); ++n) {
    const Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
    const bool stands = JpegBytesStandFor(cut, kPhoto);
    const std::size_t scan = good.size() - 4 - 10;  // where the scan's marker starts
    EXPECT_EQ(stands, n >= scan + 4) << "cut at " << n;
  }
}

}  // namespace
}  // namespace brisol
