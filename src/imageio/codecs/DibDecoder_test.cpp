#include "imageio/codecs/DibDecoder.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>

#include "RecordingAlertSink.h"
#include "imageio/codecs/CodecTestSupport.h"

namespace brisol {
namespace {

using codectest::Bgr;
using codectest::FirstDifference;
using codectest::FromImage;
using codectest::FromRgb;
using codectest::Picture;
using codectest::Put16;
using codectest::Put32;
using codectest::Put8;
using codectest::PutBytes;
using Buffer = std::vector<std::uint8_t>;

// --- building DIBs and BMP files -------------------------------------------

struct DibRecipe {
  std::uint32_t headerSize = 40;
  int width = 0;
  int height = 0;  // negative: top-down
  int bits = 24;
  std::uint32_t compression = 0;
  std::uint32_t clrUsed = 0;
  std::vector<std::uint32_t> headerMasks;  // at byte 40 of a 52+ byte header
  std::vector<std::uint32_t> masksAfter;   // after a 40-byte header
  std::vector<Bgr> palette;
  Buffer pixels;
};

Buffer BuildDib(const DibRecipe& s) {
  Buffer d;
  if (s.headerSize == 12) {
    Put32(d, 12);
    Put16(d, static_cast<unsigned>(s.width));
    Put16(d, static_cast<unsigned>(s.height));
    Put16(d, 1);
    Put16(d, static_cast<unsigned>(s.bits));
  } else {
    Buffer h;
    Put32(h, s.headerSize);
    Put32(h, static_cast<std::uint32_t>(s.width));
    Put32(h, static_cast<std::uint32_t>(s.height));
    Put16(h, 1);
    Put16(h, static_cast<unsigned>(s.bits));
    Put32(h, s.compression);
    Put32(h, static_cast<std::uint32_t>(s.pixels.size()));
    Put32(h, 2835);
    Put32(h, 2835);
    Put32(h, s.clrUsed);
    Put32(h, 0);
    for (std::uint32_t m : s.headerMasks) Put32(h, m);
    h.resize(s.headerSize, 0);  // OS/2 2.x headers may also be shorter than 40
    PutBytes(d, h);
  }
  for (std::uint32_t m : s.masksAfter) Put32(d, m);
  for (const Bgr& c : s.palette) {
    Put8(d, c[0]);
    Put8(d, c[1]);
    Put8(d, c[2]);
    if (s.headerSize != 12) Put8(d, 0);
  }
  PutBytes(d, s.pixels);
  return d;
}

// A BMP file: file header, then the DIB; pixels at their natural place
// unless offBits says otherwise.
Buffer BuildBmp(const DibRecipe& s, long long offBits = -1) {
  const Buffer dib = BuildDib(s);
  Buffer f;
  Put16(f, 0x4D42);
  Put32(f, static_cast<std::uint32_t>(14 + dib.size()));
  Put32(f, 0);
  Put32(f, static_cast<std::uint32_t>(offBits >= 0 ? offBits : 14 + dib.size() - s.pixels.size()));
  PutBytes(f, dib);
  return f;
}

// Rows of pixel values of `bits` bits each, packed from the high bit down,
// padded to 4 bytes; bottom-up unless topDown.
Buffer PackRows(const std::vector<std::uint32_t>& values, int w, int h, int bits, bool topDown) {
  const std::size_t stride = (static_cast<std::size_t>(w) * bits + 31) / 32 * 4;
  Buffer out(stride * h, 0);
  for (int y = 0; y < h; ++y) {
    std::uint8_t* row = out.data() + stride * (topDown ? y : h - 1 - y);
    for (int x = 0; x < w; ++x) {
      const std::uint32_t v = values[static_cast<std::size_t>(y) * w + x];
      if (bits < 8) {
        const int bit = x * bits;
        row[bit / 8] |= static_cast<std::uint8_t>(v << (8 - bits - bit % 8));
      } else {
        for (int b = 0; b < bits / 8; ++b) row[x * bits / 8 + b] = static_cast<std::uint8_t>(v >> (8 * b));
      }
    }
  }
  return out;
}

std::vector<Bgr> TestPalette(int n) {
  std::vector<Bgr> p;
  for (int i = 0; i < n; ++i) {
    p.push_back({static_cast<std::uint8_t>(17 + i * 41), static_cast<std::uint8_t>(200 - i * 7),
                 static_cast<std::uint8_t>(i * 13 + 5)});
  }
  return p;
}

std::vector<std::uint32_t> TestIndices(int w, int h, unsigned range) {
  std::vector<std::uint32_t> v;
  for (int i = 0; i < w * h; ++i) v.push_back(static_cast<std::uint32_t>((i * 7 + i / w) % range));
  return v;
}

Picture PaletteOf(const std::vector<std::uint32_t>& indices, int w, int h, const std::vector<Bgr>& palette) {
  Picture p(w, h);
  for (int i = 0; i < w * h; ++i) p.pixels[i] = indices[i] < palette.size() ? palette[indices[i]] : Bgr{0, 0, 0};
  return p;
}

Picture DecodeOk(const Buffer& bmp) {
  Bgr24Image image;
  const int rc = DecodeBmp(bmp, image);
  EXPECT_EQ(rc, kImgOk);
  return rc == kImgOk ? FromImage(image) : Picture();
}

// --- uncompressed pictures --------------------------------------------------

struct HeaderCase {
  std::uint32_t headerSize;
  const char* name;
};
constexpr HeaderCase kHeaders[] = {
    {12, "core"}, {16, "OS/2 2.x short"}, {64, "OS/2 2.x"}, {40, "info"}, {52, "V2"}, {56, "V3"}, {108, "V4"},
    {124, "V5"}};

TEST(DibDecoder, PaletteDepthsInEveryHeaderKindAndRowOrder) {
  for (const HeaderCase& hc : kHeaders) {
    for (int bits : {1, 2, 4, 8}) {
      for (bool topDown : {false, true}) {
        if (topDown && hc.headerSize == 12) continue;  // unsigned 16-bit height
        SCOPED_TRACE(std::string(hc.name) + " bits " + std::to_string(bits) + (topDown ? " top-down" : ""));
        const int w = 13, h = 5;
        DibRecipe s;
        s.headerSize = hc.headerSize;
        s.width = w;
        s.height = topDown ? -h : h;
        s.bits = bits;
        s.palette = TestPalette(1 << bits);
        const auto indices = TestIndices(w, h, 1u << bits);
        s.pixels = PackRows(indices, w, h, bits, topDown);
        EXPECT_EQ(FirstDifference(DecodeOk(BuildBmp(s)), PaletteOf(indices, w, h, s.palette)), "");
        // The same DIB handed over packed (as the clipboard does).
        Bgr24Image packed;
        ASSERT_EQ(DecodePackedDib(BuildDib(s), packed), kImgOk);
        EXPECT_EQ(FirstDifference(FromImage(packed), PaletteOf(indices, w, h, s.palette)), "");
      }
    }
  }
}

TEST(DibDecoder, OneBitUsesThePaletteColours) {
  DibRecipe s;
  s.width = 9;
  s.height = 1;
  s.bits = 1;
  s.palette = {FromRgb(0x123456), FromRgb(0xABCDEF)};
  const std::vector<std::uint32_t> indices = {0, 1, 1, 0, 1, 0, 0, 1, 1};
  s.pixels = PackRows(indices, 9, 1, 1, false);
  EXPECT_EQ(FirstDifference(DecodeOk(BuildBmp(s)), PaletteOf(indices, 9, 1, s.palette)), "");
}

TEST(DibDecoder, IndexBeyondTheColoursUsedIsBlack) {
  DibRecipe s;
  s.width = 6;
  s.height = 2;
  s.bits = 8;
  s.clrUsed = 3;
  s.palette = TestPalette(3);
  const auto indices = TestIndices(6, 2, 6);
  s.pixels = PackRows(indices, 6, 2, 8, false);
  EXPECT_EQ(FirstDifference(DecodeOk(BuildBmp(s)), PaletteOf(indices, 6, 2, s.palette)), "");
}

TEST(DibDecoder, ColourTableCutShortByThePixelOffset) {
  // 8 bits, colours used 0 (= 256), but the file keeps only 16 entries and
  // its pixel offset says so.
  DibRecipe s;
  s.width = 8;
  s.height = 4;
  s.bits = 8;
  s.palette = TestPalette(16);
  const auto indices = TestIndices(8, 4, 40);
  s.pixels = PackRows(indices, 8, 4, 8, false);
  const Buffer bmp = BuildBmp(s, 14 + 40 + 16 * 4);
  EXPECT_EQ(FirstDifference(DecodeOk(bmp), PaletteOf(indices, 8, 4, s.palette)), "");
}

Picture TestColours(int w, int h) { return codectest::MakeTestPicture(w, h, 11); }

TEST(DibDecoder, TrueColourDepths) {
  const int w = 7, h = 3;
  const Picture want = TestColours(w, h);
  for (const HeaderCase& hc : kHeaders) {
    for (int bits : {24, 32}) {
      for (bool topDown : {false, true}) {
        if (topDown && hc.headerSize == 12) continue;
        SCOPED_TRACE(std::string(hc.name) + " bits " + std::to_string(bits) + (topDown ? " top-down" : ""));
        std::vector<std::uint32_t> values;
        for (const Bgr& c : want.pixels) values.push_back(c[0] | (c[1] << 8) | (c[2] << 16) | 0xEE000000u);
        DibRecipe s;
        s.headerSize = hc.headerSize;
        s.width = w;
        s.height = topDown ? -h : h;
        s.bits = bits;
        s.pixels = PackRows(values, w, h, bits, topDown);
        EXPECT_EQ(FirstDifference(DecodeOk(BuildBmp(s)), want), "");
      }
    }
  }
}

// The masked field widened to 8 bits, written out case by case.
std::uint8_t Widen(std::uint32_t v, int bits) {
  switch (bits) {
    case 0:
      return 0;
    case 1:
      return v ? 255 : 0;
    case 4:
      return static_cast<std::uint8_t>(v * 17);
    case 5:
      return static_cast<std::uint8_t>((v << 3) | (v >> 2));
    case 6:
      return static_cast<std::uint8_t>((v << 2) | (v >> 4));
    case 8:
      return static_cast<std::uint8_t>(v);
    case 10:
      return static_cast<std::uint8_t>(v >> 2);
  }
  ADD_FAILURE() << "no expectation for " << bits << " bits";
  return 0;
}

struct FieldsCase {
  const char* name;
  std::uint32_t headerSize;
  std::uint32_t compression;
  int bits;
  std::uint32_t masks[4];  // red, green, blue, alpha
  int widths[3];           // bits of red, green, blue
  bool masksAfterHeader;
};

constexpr FieldsCase kFieldsCases[] = {
    {"16-bit 555 default", 40, 0, 16, {0x7C00, 0x3E0, 0x1F, 0}, {5, 5, 5}, false},
    {"16-bit 565 bit fields", 40, 3, 16, {0xF800, 0x7E0, 0x1F, 0}, {5, 6, 5}, true},
    {"16-bit 555 bit fields", 40, 3, 16, {0x7C00, 0x3E0, 0x1F, 0}, {5, 5, 5}, true},
    {"16-bit 4444 with alpha in V5", 124, 3, 16, {0x0F00, 0xF0, 0xF, 0xF000}, {4, 4, 4}, false},
    {"16-bit 1555 alpha bit fields", 40, 6, 16, {0x7C00, 0x3E0, 0x1F, 0x8000}, {5, 5, 5}, true},
    {"32-bit with alpha mask in V4", 108, 3, 32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, {8, 8, 8}, false},
    {"32-bit reversed order", 40, 3, 32, {0xFF, 0xFF00, 0xFF0000, 0}, {8, 8, 8}, true},
    {"32-bit 10-10-10 in V2", 52, 3, 32, {0x3FF00000, 0xFFC00, 0x3FF, 0}, {10, 10, 10}, false},
    {"32-bit alpha bit fields", 40, 6, 32, {0xFF00, 0xFF0000, 0xFF000000, 0xFF}, {8, 8, 8}, true},
    {"24-bit bit fields", 56, 3, 24, {0xFF, 0xFF00, 0xFF0000, 0}, {8, 8, 8}, false},
    {"32-bit 1-bit channels", 40, 3, 32, {0x4, 0x2, 0x1, 0}, {1, 1, 1}, true},
};

TEST(DibDecoder, BitFieldsScaleEachChannel) {
  for (const FieldsCase& fc : kFieldsCases) {
    SCOPED_TRACE(fc.name);
    const int w = 9, h = 4;
    std::vector<std::uint32_t> values;
    Picture want(w, h);
    for (int i = 0; i < w * h; ++i) {
      std::uint32_t v = 0;
      Bgr expect{};
      for (int c = 0; c < 3; ++c) {
        const std::uint32_t mask = fc.masks[c];
        const int shift = std::countr_zero(mask);
        const std::uint32_t field = static_cast<std::uint32_t>(i * (c + 3) * 7 + c) & (mask >> shift);
        v |= field << shift;
        expect[2 - c] = Widen(field, fc.widths[c]);
      }
      v |= fc.masks[3] & 0xA5A5A5A5u;  // alpha is dropped
      values.push_back(v);
      want.pixels[i] = expect;
    }
    DibRecipe s;
    s.headerSize = fc.headerSize;
    s.compression = fc.compression;
    s.width = w;
    s.height = h;
    s.bits = fc.bits;
    const std::vector<std::uint32_t> masks(fc.masks, fc.masks + (fc.compression == 6 ? 4 : 3));
    if (fc.compression != 0) {
      if (fc.masksAfterHeader)
        s.masksAfter = masks;
      else
        s.headerMasks = std::vector<std::uint32_t>(fc.masks, fc.masks + 4);
    }
    s.pixels = PackRows(values, w, h, fc.bits, false);
    EXPECT_EQ(FirstDifference(DecodeOk(BuildBmp(s)), want), "");
    Bgr24Image packed;
    ASSERT_EQ(DecodePackedDib(BuildDib(s), packed), kImgOk);
    EXPECT_EQ(FirstDifference(FromImage(packed), want), "");
  }
}

TEST(DibDecoder, PackedTrueColourSkipsItsColourTable) {
  // A 24-bit DIB may carry clrUsed entries for palette displays.
  const Picture want = TestColours(5, 2);
  std::vector<std::uint32_t> values;
  for (const Bgr& c : want.pixels) values.push_back(c[0] | (c[1] << 8) | (c[2] << 16));
  DibRecipe s;
  s.width = 5;
  s.height = 2;
  s.bits = 24;
  s.clrUsed = 3;
  s.palette = TestPalette(3);
  s.pixels = PackRows(values, 5, 2, 24, false);
  Bgr24Image image;
  ASSERT_EQ(DecodePackedDib(BuildDib(s), image), kImgOk);
  EXPECT_EQ(FirstDifference(FromImage(image), want), "");
}

TEST(DibDecoder, LastRowWithoutPaddingIsAccepted) {
  const Picture want = TestColours(3, 2);  // 9 bytes of pixels per 12-byte row
  std::vector<std::uint32_t> values;
  for (const Bgr& c : want.pixels) values.push_back(c[0] | (c[1] << 8) | (c[2] << 16));
  DibRecipe s;
  s.width = 3;
  s.height = 2;
  s.bits = 24;
  s.pixels = PackRows(values, 3, 2, 24, false);
  s.pixels.resize(s.pixels.size() - 3);
  EXPECT_EQ(FirstDifference(DecodeOk(BuildBmp(s)), want), "");
  s.pixels.pop_back();
  Bgr24Image image;
  EXPECT_EQ(DecodeBmp(BuildBmp(s), image), kImgErrRead);
}

// --- run-length pictures -------------------------------------------------------

TEST(DibDecoder, Rle8RunsLiteralsDeltaAndEarlyEnd) {
  DibRecipe s;
  s.width = 8;
  s.height = 4;
  s.bits = 8;
  s.compression = 1;
  s.palette = TestPalette(8);
  s.pixels = {
      3, 1, 0, 3, 2, 3, 4, 0, 2, 5, 0, 0,  // bottom row: 1 1 1, literal 2 3 4 (padded), 5 5, end of line
      0, 2, 2, 0, 6, 6, 0, 0,              // next row: delta right 2, six of 6, end of line
      0, 2, 1, 1,                          // delta right 1 and up 1: the third row is skipped
      0, 4, 7, 6, 5, 4, 0, 1,              // literal 7 6 5 4 at x 1..4 of the top row, end of bitmap
  };
  const Bgr k{0, 0, 0};
  const auto& p = s.palette;
  Picture want(8, 4);
  const Bgr rows[4][8] = {
      {k, p[7], p[6], p[5], p[4], k, k, k},
      {k, k, k, k, k, k, k, k},
      {k, k, p[6], p[6], p[6], p[6], p[6], p[6]},
      {p[1], p[1], p[1], p[2], p[3], p[4], p[5], p[5]},
  };
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) want.at(x, y) = rows[y][x];
  EXPECT_EQ(FirstDifference(DecodeOk(BuildBmp(s)), want), "");

  // Ending right after the bottom row leaves the rest black.
  s.pixels = {8, 2, 0, 1};
  Picture early(8, 4);
  for (int x = 0; x < 8; ++x) early.at(x, 3) = p[2];
  EXPECT_EQ(FirstDifference(DecodeOk(BuildBmp(s)), early), "");
}

TEST(DibDecoder, Rle4AlternatesNibbles) {
  DibRecipe s;
  s.width = 7;
  s.height = 2;
  s.bits = 4;
  s.compression = 2;
  s.palette = TestPalette(16);
  s.pixels = {
      5, 0x12, 2,    0x34, 0, 0,           // bottom: 1 2 1 2 1, 3 4
      0, 3,    0x56, 0x70, 4, 0x9A, 0, 1,  // top: literal 5 6 7 (2 bytes, even), run 9 A 9 A
  };
  const auto& p = s.palette;
  Picture want(7, 2);
  const int top[7] = {5, 6, 7, 9, 10, 9, 10};
  const int bottom[7] = {1, 2, 1, 2, 1, 3, 4};
  for (int x = 0; x < 7; ++x) {
    want.at(x, 0) = p[top[x]];
    want.at(x, 1) = p[bottom[x]];
  }
  EXPECT_EQ(FirstDifference(DecodeOk(BuildBmp(s)), want), "");
}

TEST(DibDecoder, Rle24InAnOs2Header) {
  DibRecipe s;
  s.headerSize = 64;
  s.width = 4;
  s.height = 2;
  s.bits = 24;
  s.compression = 4;
  s.pixels = {
      3, 10, 20, 30, 1, 40, 50, 60, 0, 0,                       // bottom: three of (10,20,30), one (40,50,60)
      0, 3,  1,  2,  3, 4,  5,  6,  7, 8, 9, 0, 1, 11, 12, 13,  // top: literal of 3 (9 bytes + pad), then one run
      0, 1,
  };
  Picture want(4, 2);
  want.at(0, 1) = want.at(1, 1) = want.at(2, 1) = {10, 20, 30};
  want.at(3, 1) = {40, 50, 60};
  want.at(0, 0) = {1, 2, 3};
  want.at(1, 0) = {4, 5, 6};
  want.at(2, 0) = {7, 8, 9};
  want.at(3, 0) = {11, 12, 13};
  EXPECT_EQ(FirstDifference(DecodeOk(BuildBmp(s)), want), "");
}

TEST(DibDecoder, RunsIntoTheRowPaddingAreCutOff) {
  // Width 5 at 8 bits: rows are coded as 8 pixels by some encoders.
  DibRecipe s;
  s.width = 5;
  s.height = 2;
  s.bits = 8;
  s.compression = 1;
  s.palette = TestPalette(4);
  s.pixels = {8, 1, 0, 0, 2, 2, 0, 6, 3, 3, 3, 3, 3, 3, 0, 1};
  Picture want(5, 2);
  for (int x = 0; x < 5; ++x) {
    want.at(x, 1) = s.palette[1];
    want.at(x, 0) = x < 2 ? s.palette[2] : s.palette[3];
  }
  EXPECT_EQ(FirstDifference(DecodeOk(BuildBmp(s)), want), "");
}

struct OverflowCase {
  const char* name;
  int bits;
  std::uint32_t compression;
  Buffer data;
  // The two rows, bottom first, as palette indices (-1: black).
  int bottom[4];
  int top[4];
};

TEST(DibDecoder, RunsPastTheRowAreCutAtItsEnd) {
  // As other decoders read such files: what lies past the row is dropped,
  // and the row goes on only after an end of line.
  const OverflowCase cases[] = {
      {"run past the row", 8, 1, {6, 1, 0, 0, 4, 2, 0, 1}, {1, 1, 1, 1}, {2, 2, 2, 2}},
      {"run continues past the row", 8, 1, {3, 1, 3, 2, 0, 0, 1, 3, 0, 1}, {1, 1, 1, 2}, {3, -1, -1, -1}},
      {"runs after the row is full", 8, 1, {4, 1, 2, 2, 0, 0, 0, 1}, {1, 1, 1, 1}, {-1, -1, -1, -1}},
      {"literal past the row", 8, 1, {0, 5, 1, 2, 3, 0, 2, 0, 0, 0, 1, 1, 0, 1}, {1, 2, 3, 0}, {1, -1, -1, -1}},
      {"run of 255", 8, 1, {255, 3, 0, 0, 255, 2, 0, 1}, {3, 3, 3, 3}, {2, 2, 2, 2}},
      {"rle4 run past the padded row", 4, 2, {9, 0x12, 0, 0, 2, 0x33, 0, 1}, {1, 2, 1, 2}, {3, 3, -1, -1}},
      {"rle4 literal past the padded row",
       4,
       2,
       {0, 9, 0x12, 0x34, 0x56, 0x78, 0x90, 0, 0, 1},
       {1, 2, 3, 4},
       {-1, -1, -1, -1}},
  };
  for (const OverflowCase& c : cases) {
    SCOPED_TRACE(c.name);
    DibRecipe s;
    s.width = 4;
    s.height = 2;
    s.bits = c.bits;
    s.compression = c.compression;
    s.palette = TestPalette(1 << c.bits);
    s.pixels = c.data;
    Picture want(4, 2);
    for (int x = 0; x < 4; ++x) {
      if (c.bottom[x] >= 0) want.at(x, 1) = s.palette[static_cast<std::size_t>(c.bottom[x])];
      if (c.top[x] >= 0) want.at(x, 0) = s.palette[static_cast<std::size_t>(c.top[x])];
    }
    EXPECT_EQ(FirstDifference(DecodeOk(BuildBmp(s)), want), "");
  }
}

struct BadRleCase {
  const char* name;
  int bits;
  std::uint32_t compression;
  int height;
  Buffer data;
  int expected;
};

TEST(DibDecoder, BadRunLengthData) {
  const BadRleCase cases[] = {
      {"delta beyond the right edge", 8, 1, 2, {0, 2, 5, 0, 0, 1}, kImgErrCorrupt},
      {"delta beyond the top", 8, 1, 2, {0, 2, 0, 3, 0, 1}, kImgErrCorrupt},
      {"top-down run-length picture", 8, 1, -2, {0, 1}, kImgErrCorrupt},
      {"data ends in a run", 8, 1, 2, {4, 1, 4}, kImgErrRead},
      {"data ends in a literal", 8, 1, 2, {0, 4, 1, 2}, kImgErrRead},
      {"data ends before the picture", 8, 1, 2, {4, 1, 0, 0}, kImgErrRead},
      {"no data", 8, 1, 2, {}, kImgErrRead},
      {"RLE8 on 4 bits", 4, 1, 2, {0, 1}, kImgErrCorrupt},
      {"RLE4 on 8 bits", 8, 2, 2, {0, 1}, kImgErrCorrupt},
  };
  for (const BadRleCase& c : cases) {
    SCOPED_TRACE(c.name);
    DibRecipe s;
    s.width = 4;
    s.height = c.height;
    s.bits = c.bits;
    s.compression = c.compression;
    s.palette = TestPalette(1 << c.bits);
    s.pixels = c.data;
    Bgr24Image image;
    EXPECT_EQ(DecodeBmp(BuildBmp(s), image), c.expected);
    EXPECT_FALSE(image.IsValid());
  }
}

// --- information and refusals ---------------------------------------------------

TEST(DibDecoder, InformationGivesTheStoredDepth) {
  for (int bits : {1, 2, 4, 8, 16, 24, 32}) {
    DibRecipe s;
    s.width = 300;
    s.height = -200;
    s.bits = bits;
    if (bits <= 8) s.palette = TestPalette(1 << bits);
    ImageInfo info;
    ASSERT_EQ(ReadBmpInfo(BuildBmp(s), info), kImgOk);  // pixels are not needed
    EXPECT_EQ(info.width, 300);
    EXPECT_EQ(info.height, 200);
    EXPECT_EQ(info.depth, bits);
    ImageInfo packed;
    ASSERT_EQ(ReadPackedDibInfo(BuildDib(s), packed), kImgOk);
    EXPECT_EQ(packed.depth, bits);
  }
  DibRecipe rle;
  rle.width = 10;
  rle.height = 10;
  rle.bits = 8;
  rle.compression = 1;
  ImageInfo info;
  ASSERT_EQ(ReadBmpInfo(BuildBmp(rle), info), kImgOk);
  EXPECT_EQ(info.depth, 8);
}

struct RefusalCase {
  const char* name;
  DibRecipe recipe;
  int expected;
};

TEST(DibDecoder, RefusedHeaders) {
  auto recipe = [](int w, int h, int bits, std::uint32_t compression, std::uint32_t headerSize = 40) {
    DibRecipe s;
    s.width = w;
    s.height = h;
    s.bits = bits;
    s.compression = compression;
    s.headerSize = headerSize;
    s.pixels.assign(64, 0);
    return s;
  };
  std::vector<RefusalCase> cases = {
      {"zero width", recipe(0, 4, 24, 0), kImgErrDimensions},
      {"zero height", recipe(4, 0, 24, 0), kImgErrDimensions},
      {"negative width", recipe(-4, 4, 24, 0), kImgErrDimensions},
      {"lowest height", recipe(4, INT32_MIN, 24, 0), kImgErrDimensions},
      {"100000 x 100000", recipe(100000, 100000, 24, 0), kImgErrTooLarge},
      {"100000 x -100000", recipe(100000, -100000, 8, 0), kImgErrTooLarge},
      {"core 65535 x 65535", recipe(65535, 65535, 24, 0, 12), kImgErrTooLarge},
      {"64-bit pixels", recipe(4, 4, 64, 0), kImgErrUnsupported},
      {"3-bit pixels", recipe(4, 4, 3, 0), kImgErrUnsupported},
      {"zero bits", recipe(4, 4, 0, 0), kImgErrUnsupported},
      {"compression 7", recipe(4, 4, 24, 7), kImgErrUnsupported},
      {"CMYK compression", recipe(4, 4, 32, 11), kImgErrUnsupported},
      {"OS/2 Huffman", recipe(4, 4, 1, 3, 64), kImgErrUnsupported},
      {"RLE24 on 8 bits", recipe(4, 4, 8, 4, 64), kImgErrCorrupt},
      {"bit fields on 8 bits", recipe(4, 4, 8, 3), kImgErrCorrupt},
      {"header size 8", recipe(4, 4, 24, 0, 8), kImgErrSignature},
      {"header size 14", recipe(4, 4, 24, 0, 14), kImgErrSignature},
      {"header size 100", recipe(4, 4, 24, 0, 100), kImgErrUnsupported},
      {"header size 200", recipe(4, 4, 24, 0, 200), kImgErrUnsupported},
  };
  RefusalCase zeroMasks{"zero masks", recipe(4, 4, 16, 3), kImgErrCorrupt};
  zeroMasks.recipe.masksAfter = {0, 0, 0};
  cases.push_back(zeroMasks);
  RefusalCase gapMask{"mask with a gap", recipe(4, 4, 16, 3), kImgErrCorrupt};
  gapMask.recipe.masksAfter = {0xF00F, 0xF0, 0xF00};
  cases.push_back(gapMask);
  RefusalCase wideMask{"mask wider than the pixel", recipe(4, 4, 16, 3), kImgErrCorrupt};
  wideMask.recipe.masksAfter = {0xFF0000, 0xFF00, 0xFF};
  cases.push_back(wideMask);
  RefusalCase missingMasks{"masks cut off", recipe(4, 4, 16, 3), kImgErrRead};
  missingMasks.recipe.pixels.clear();
  cases.push_back(missingMasks);

  for (const RefusalCase& c : cases) {
    SCOPED_TRACE(c.name);
    Bgr24Image image;
    ImageInfo info;
    EXPECT_EQ(DecodeBmp(BuildBmp(c.recipe), image), c.expected);
    EXPECT_EQ(ReadBmpInfo(BuildBmp(c.recipe), info), c.expected);
    EXPECT_EQ(DecodePackedDib(BuildDib(c.recipe), image), c.expected);
    EXPECT_FALSE(image.IsValid());
  }
}

TEST(DibDecoder, BadFileHeaders) {
  DibRecipe s;
  s.width = 2;
  s.height = 2;
  s.bits = 24;
  s.pixels.assign(16, 0x40);
  Bgr24Image image;
  Buffer bmp = BuildBmp(s);
  bmp[0] = 'M';
  EXPECT_EQ(DecodeBmp(bmp, image), kImgErrSignature);
  EXPECT_EQ(DecodeBmp(BuildBmp(s, 5), image), kImgErrCorrupt);
  EXPECT_EQ(DecodeBmp(BuildBmp(s, 14 + 20), image), kImgErrCorrupt);  // inside the header
  EXPECT_EQ(DecodeBmp(BuildBmp(s, 1000), image), kImgErrRead);        // beyond the file
  EXPECT_EQ(DecodeBmp(BuildBmp(s, 0xFFFFFFFFu), image), kImgErrRead);
  EXPECT_FALSE(image.IsValid());
  // A zero offset: the pixels follow the header.
  EXPECT_EQ(DecodeBmp(BuildBmp(s, 0), image), kImgOk);
}

TEST(DibDecoder, EveryTruncationIsRefused) {
  std::vector<Buffer> files;
  DibRecipe palette;
  palette.width = 5;
  palette.height = 3;
  palette.bits = 4;
  palette.palette = TestPalette(16);
  palette.pixels = PackRows(TestIndices(5, 3, 16), 5, 3, 4, false);
  palette.pixels.resize(palette.pixels.size() - 1);  // last row without padding
  files.push_back(BuildBmp(palette));
  DibRecipe fields;
  fields.width = 4;
  fields.height = 3;
  fields.bits = 16;
  fields.compression = 3;
  fields.masksAfter = {0xF800, 0x7E0, 0x1F};
  fields.pixels = PackRows(TestIndices(4, 3, 65536), 4, 3, 16, true);
  fields.height = -3;
  files.push_back(BuildBmp(fields));
  DibRecipe rle;
  rle.width = 4;
  rle.height = 3;
  rle.bits = 8;
  rle.compression = 1;
  rle.palette = TestPalette(4);
  rle.pixels = {4, 1, 0, 0, 0, 4, 1, 2, 3, 0, 0, 1};  // ends before the top row
  files.push_back(BuildBmp(rle));
  DibRecipe core;
  core.headerSize = 12;
  core.width = 4;
  core.height = 2;
  core.bits = 8;
  core.palette = TestPalette(256);
  core.pixels = PackRows(TestIndices(4, 2, 256), 4, 2, 8, false);
  files.push_back(BuildBmp(core));

  for (std::size_t f = 0; f < files.size(); ++f) {
    const Buffer& full = files[f];
    Bgr24Image whole;
    ASSERT_EQ(DecodeBmp(full, whole), kImgOk) << "file " << f;
    for (std::size_t n = 0; n < full.size(); ++n) {
      Bgr24Image image;
      EXPECT_EQ(DecodeBmp(Bytes(full.data(), n), image), kImgErrRead) << "file " << f << " cut to " << n;
      EXPECT_FALSE(image.IsValid());
      if (n >= 14) {
        // The DIB part alone, cut the same way.
        EXPECT_NE(DecodePackedDib(Bytes(full.data() + 14, n - 14), image), kImgOk) << "file " << f << " cut to " << n;
      }
    }
  }
}

TEST(DibDecoder, FailureLeavesTheOutputAlone) {
  Bgr24Image out;
  ASSERT_EQ(AllocBgr24(out, 3, 3), kImgOk);
  const std::uint8_t* before = out.bits.data();
  DibRecipe s;
  s.width = 4;
  s.height = 4;
  s.bits = 24;
  s.pixels.assign(10, 0);  // too short
  EXPECT_EQ(DecodeBmp(BuildBmp(s), out), kImgErrRead);
  EXPECT_EQ(out.bits.data(), before);
  EXPECT_EQ(out.width, 3);
}

TEST(DibDecoder, GarbageNeverCrashes) {
  unsigned state = 12345;
  auto next = [&state] {
    state = state * 1103515245u + 12345u;
    return static_cast<std::uint8_t>(state >> 16);
  };
  for (int round = 0; round < 3000; ++round) {
    Buffer junk(static_cast<std::size_t>(next()) + 30);
    for (auto& b : junk) b = next();
    junk[0] = 'B';
    junk[1] = 'M';
    if (round % 2) {  // plausible header sizes and small dimensions make deeper paths reachable
      const std::uint32_t sizes[] = {12, 40, 52, 56, 64, 108, 124};
      junk[14] = static_cast<std::uint8_t>(sizes[round % 7]);
      junk[15] = junk[16] = junk[17] = 0;
      junk[19] = junk[20] = junk[21] = junk[23] = junk[24] = junk[25] = 0;  // under 256 x 256
    }
    Bgr24Image image;
    const int rc = DecodeBmp(junk, image);
    EXPECT_TRUE(rc == kImgOk ? image.IsValid() : !image.IsValid());
    const int packedRc = DecodePackedDib(Bytes(junk.data() + 14, junk.size() - 14), image);
    EXPECT_LE(packedRc, 0);
  }
}

// An OS/2 2.x file whose colour table has 3-byte entries, as some writers
// make them; the pixel offset shows it.
Buffer Os2WithShortEntries(const DibRecipe& recipe) {
  DibRecipe s = recipe;
  s.headerSize = 12;  // so that BuildDib writes 3-byte entries
  Buffer coreDib = BuildDib(s);
  Buffer header;
  s.headerSize = 64;
  s.palette.clear();
  s.pixels.clear();
  header = BuildDib(s);
  Buffer file;
  Put16(file, 0x4D42);
  const std::size_t paletteBytes = recipe.palette.size() * 3;
  Put32(file, static_cast<std::uint32_t>(14 + 64 + paletteBytes + recipe.pixels.size()));
  Put32(file, 0);
  Put32(file, static_cast<std::uint32_t>(14 + 64 + paletteBytes));
  PutBytes(file, header);
  file.insert(file.end(), coreDib.begin() + 12, coreDib.end());
  return file;
}

TEST(DibDecoder, Os2ColourTableWithThreeByteEntries) {
  DibRecipe s;
  s.headerSize = 64;
  s.width = 9;
  s.height = 3;
  s.bits = 4;
  s.palette = TestPalette(16);
  const auto indices = TestIndices(9, 3, 16);
  s.pixels = PackRows(indices, 9, 3, 4, false);
  EXPECT_EQ(FirstDifference(DecodeOk(Os2WithShortEntries(s)), PaletteOf(indices, 9, 3, s.palette)), "");
}

TEST(DibDecoder, ImageMagickAgreesOnBuiltVariants) {
  if (!codectest::MagickAvailable()) GTEST_SKIP() << "ImageMagick's convert is not installed";
  std::vector<std::pair<std::string, Buffer>> files;
  const int w = 11, h = 6;
  for (const HeaderCase& hc : kHeaders) {
    if (hc.headerSize == 16) continue;  // ImageMagick does not read short OS/2 headers
    for (int bits : {1, 4, 8}) {
      DibRecipe s;
      s.headerSize = hc.headerSize;
      s.width = w;
      s.height = h;
      s.bits = bits;
      s.palette = TestPalette(1 << bits);
      s.pixels = PackRows(TestIndices(w, h, 1u << bits), w, h, bits, false);
      Buffer file = BuildBmp(s);
      if (hc.headerSize == 64) file = Os2WithShortEntries(s);  // the only kind ImageMagick reads
      files.emplace_back(std::string(hc.name) + " " + std::to_string(bits) + "-bit", file);
    }
  }
  const Picture colours = TestColours(w, h);
  std::vector<std::uint32_t> values;
  for (const Bgr& c : colours.pixels) values.push_back(c[0] | (c[1] << 8) | (c[2] << 16));
  DibRecipe topDown;
  topDown.width = w;
  topDown.height = -h;
  topDown.bits = 24;
  topDown.pixels = PackRows(values, w, h, 24, true);
  files.emplace_back("top-down 24-bit", BuildBmp(topDown));
  for (const FieldsCase& fc : kFieldsCases) {
    // ImageMagick widens 4-bit fields as v << 4 (15 gives 240), keeps the
    // top of wider ones its own way, ignores masks on 24 bits and does not
    // read compression 6.
    if (fc.widths[0] > 8 || fc.widths[0] < 5 || fc.compression == 6 || fc.bits == 24) continue;
    DibRecipe s;
    s.headerSize = fc.headerSize;
    s.compression = fc.compression;
    s.width = w;
    s.height = h;
    s.bits = fc.bits;
    if (fc.compression != 0) {
      if (fc.masksAfterHeader)
        s.masksAfter.assign(fc.masks, fc.masks + (fc.compression == 6 ? 4 : 3));
      else
        s.headerMasks.assign(fc.masks, fc.masks + 4);
    }
    std::vector<std::uint32_t> raw;
    for (int i = 0; i < w * h; ++i) raw.push_back(static_cast<std::uint32_t>(i * 2654435761u));
    if (fc.bits < 32)
      for (auto& v : raw) v &= (1u << fc.bits) - 1;
    s.pixels = PackRows(raw, w, h, fc.bits, false);
    files.emplace_back(fc.name, BuildBmp(s));
  }
  DibRecipe rle4;
  rle4.width = 7;
  rle4.height = 2;
  rle4.bits = 4;
  rle4.compression = 2;
  rle4.palette = TestPalette(16);
  rle4.pixels = {5, 0x12, 2, 0x34, 0, 0, 0, 3, 0x56, 0x70, 4, 0x9A, 0, 1};
  files.emplace_back("RLE4", BuildBmp(rle4));

  test::TempDir dir;
  for (const auto& [name, bytes] : files) {
    SCOPED_TRACE(name);
    const std::string path = dir.File("built.bmp");
    ASSERT_TRUE(codectest::WriteAll(path, bytes));
    const auto theirs = codectest::MagickDecode(path, dir.File("theirs.ppm"));
    ASSERT_TRUE(theirs.has_value()) << "ImageMagick cannot read it";
    EXPECT_EQ(FirstDifference(DecodeOk(bytes), *theirs), "");
  }
}

}  // namespace
}  // namespace brisol
