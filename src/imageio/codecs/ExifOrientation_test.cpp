#include "imageio/codecs/ExifOrientation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace brisol {
namespace {

// An APP1 payload: "Exif\0\0", a TIFF header and one directory holding the
// given entries (tag, type, count, value).
struct Entry {
  int tag, type;
  unsigned count, value;
};

std::vector<std::uint8_t> ExifPayload(bool bigEndian, const std::vector<Entry>& entries, unsigned ifdOffset = 8) {
  std::vector<std::uint8_t> p = {'E', 'x', 'i', 'f', 0, 0};
  auto u16 = [&](unsigned v) {
    if (bigEndian)
      p.insert(p.end(), {std::uint8_t(v >> 8), std::uint8_t(v)});
    else
      p.insert(p.end(), {std::uint8_t(v), std::uint8_t(v >> 8)});
  };
  auto u32 = [&](unsigned v) {
    if (bigEndian)
      p.insert(p.end(), {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)});
    else
      p.insert(p.end(), {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)});
  };
  p.push_back(bigEndian ? 'M' : 'I');
  p.push_back(bigEndian ? 'M' : 'I');
  u16(42);
  u32(ifdOffset);
  while (p.size() < 6 + std::min(ifdOffset, 64u)) p.push_back(0);
  u16(static_cast<unsigned>(entries.size()));
  for (const Entry& e : entries) {
    u16(static_cast<unsigned>(e.tag));
    u16(static_cast<unsigned>(e.type));
    u32(e.count);
    if (e.type == 3) {  // a short sits in the first two bytes of the value field
      u16(e.value);
      u16(0);
    } else {
      u32(e.value);
    }
  }
  u32(0);  // no next directory
  return p;
}

TEST(ExifOrientation, ReadsTheTagInBothByteOrders) {
  for (bool bigEndian : {false, true}) {
    for (int value = 1; value <= 8; ++value) {
      const auto payload = ExifPayload(bigEndian, {{0x010F, 2, 4, 0}, {0x0112, 3, 1, unsigned(value)}});
      EXPECT_EQ(ExifOrientation(payload), value) << bigEndian << " " << value;
    }
  }
}

TEST(ExifOrientation, AnythingUnusualMeansNormal) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> payload;
  };
  const auto good = ExifPayload(false, {{0x0112, 3, 1, 6}});
  std::vector<Case> cases = {
      {"empty", {}},
      {"not exif", {'J', 'F', 'I', 'F', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0}},
      {"no tag", ExifPayload(false, {{0x010F, 2, 4, 0}})},
      {"value 0", ExifPayload(false, {{0x0112, 3, 1, 0}})},
      {"value 9", ExifPayload(true, {{0x0112, 3, 1, 9}})},
      {"wrong type", ExifPayload(false, {{0x0112, 4, 1, 6}})},
      {"count 0", ExifPayload(false, {{0x0112, 3, 0, 6}})},
      {"directory beyond the end", ExifPayload(false, {{0x0112, 3, 1, 6}}, 0xFFFFFFF0u)},
      {"bad byte order mark", good},
      {"bad magic", good},
  };
  cases[8].payload[6] = 'X';
  cases[9].payload[8] = 43;
  for (std::size_t cut = 0; cut + 1 < good.size() - 4; ++cut) {  // every truncation before the value
    cases.push_back({"truncated", std::vector<std::uint8_t>(good.begin(), good.begin() + static_cast<long>(cut))});
  }
  for (const Case& c : cases) EXPECT_EQ(ExifOrientation(c.payload), kOrientNormal) << c.name;
}

TEST(ExifOrientation, DirectoryCountBeyondTheDataStopsAtTheEnd) {
  auto payload = ExifPayload(false, {{0x010F, 2, 4, 0}});
  payload[6 + 8] = 0xFF;  // claims 65535 entries
  payload[6 + 9] = 0xFF;
  EXPECT_EQ(ExifOrientation(payload), kOrientNormal);
}

// A 3 x 2 picture whose pixels are labelled A..F:  A B C / D E F.
Bgr24Image Labelled() {
  Bgr24Image image;
  EXPECT_EQ(AllocBgr24(image, 3, 2), kImgOk);
  for (int i = 0; i < 6; ++i) image.Block().Pixel(i % 3, i / 3)[0] = static_cast<std::uint8_t>('A' + i);
  return image;
}

std::string Rows(const Bgr24Image& image) {
  std::string text;
  for (int y = 0; y < image.height; ++y) {
    if (y) text += '/';
    for (int x = 0; x < image.width; ++x) {
      const std::uint8_t* p = image.Block().Pixel(x, y);
      text += static_cast<char>(p[0]);
      if (p[1] || p[2]) text += '?';
    }
  }
  return text;
}

TEST(ExifOrientation, TurnsPicturesUpright) {
  const struct {
    int orientation;
    const char* upright;
  } cases[] = {
      {1, "ABC/DEF"},  {2, "CBA/FED"},  {3, "FED/CBA"},  {4, "DEF/ABC"}, {5, "AD/BE/CF"},
      {6, "DA/EB/FC"}, {7, "FC/EB/DA"}, {8, "CF/BE/AD"}, {0, "ABC/DEF"}, {9, "ABC/DEF"},
  };
  const Bgr24Image stored = Labelled();
  for (const auto& c : cases) {
    Bgr24Image out;
    ASSERT_EQ(OrientUpright(stored, c.orientation, out), kImgOk);
    EXPECT_EQ(Rows(out), c.upright) << c.orientation;
  }
}

TEST(ExifOrientation, EmptySourceIsRefused) {
  Bgr24Image out = Labelled();
  EXPECT_EQ(OrientUpright(Bgr24Image{}, 6, out), kImgErrArgument);
  EXPECT_EQ(Rows(out), "ABC/DEF");
}

}  // namespace
}  // namespace brisol
