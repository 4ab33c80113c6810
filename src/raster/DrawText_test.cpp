#include <gtest/gtest.h>

#include <climits>
#include <thread>
#include <vector>

#include "raster/Dadc.h"
#include "raster/DrawContext.h"
#include "raster/FontEngine.h"

// The installed fontconfig loses a few bytes while it parses its own
// configuration files; that is not ours to fix, so the leak checker of
// sanitizer builds is told to pass over it.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace brisol {
namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

Font MakeFont(int height, int weight = 400, bool italic = false, const char* face = "Arial") {
  return Font::Create(LogFont{height, weight, italic, face});
}

TEST(DrawTextFont, NamesResolveToInstalledFacesOrNothing) {
  EXPECT_TRUE(MakeFont(20).IsValid());
  EXPECT_TRUE(MakeFont(20, 700).IsValid());
  EXPECT_TRUE(MakeFont(20, 400, true).IsValid());
  EXPECT_TRUE(MakeFont(20, 400, false, "Liberation Sans").IsValid());
  EXPECT_TRUE(MakeFont(20, 400, false, "arial").IsValid());
  EXPECT_TRUE(MakeFont(20, 400, false, "sans-serif").IsValid());
  EXPECT_FALSE(MakeFont(20, 400, false, "No Such Face Qzx").IsValid());
  // An empty name asks for the default face.
  EXPECT_TRUE(MakeFont(20, 400, false, "").IsValid());
}

TEST(DrawTextFont, HeightsPickTheCell) {
  struct Case {
    int height;
    bool valid;
    int cellMin, cellMax;
  };
  const Case cases[] = {
      {20, true, 20, 20},       {1, true, 1, 1},        {0, true, 16, 16},
      {-20, true, 21, 25},  // character height 20: the cell is taller
      {5000, true, 5000, 5000}, {5001, false, 0, 0},    {-5001, false, 0, 0},
      {INT_MAX, false, 0, 0},   {INT_MIN, false, 0, 0},
  };
  for (const Case& c : cases) {
    const Font font = MakeFont(c.height);
    EXPECT_EQ(font.IsValid(), c.valid) << c.height;
    if (!font.IsValid()) continue;
    EXPECT_EQ(font.description().height, c.height);
    const int cell = FontCellHeight(*font.face());
    EXPECT_GE(cell, c.cellMin) << c.height;
    EXPECT_LE(cell, c.cellMax) << c.height;
  }
}

TEST(DrawTextExtent, MeasuresTheCellAndTheAdvances) {
  CDADC s(SIZE{10, 10});
  DrawContext& dc = s.GetDC();
  dc.SelectFont(MakeFont(20));
  const SIZE hello = dc.GetTextExtentPoint32("Hello");
  EXPECT_EQ(hello.cy, 20);
  EXPECT_GT(hello.cx, 20);
  EXPECT_LT(hello.cx, 100);
  EXPECT_EQ(dc.GetTextExtentPoint32("").cx, 0);
  EXPECT_EQ(dc.GetTextExtentPoint32("").cy, 20);
  // Widths add up.
  EXPECT_EQ(dc.GetTextExtentPoint32("HelloHello").cx, 2 * hello.cx);
  // Bold is wider.
  dc.SelectFont(MakeFont(20, 700));
  EXPECT_GT(dc.GetTextExtentPoint32("Hello World").cx, [] {
    CDADC t(SIZE{1, 1});
    t.GetDC().SelectFont(MakeFont(20));
    return t.GetDC().GetTextExtentPoint32("Hello World").cx;
  }());
}

TEST(DrawTextExtent, WithoutAFontTheDefaultIsUsed) {
  DrawContext none;
  const SIZE size = none.GetTextExtentPoint32("Text");
  EXPECT_EQ(size.cy, kDefaultFontHeight);
  EXPECT_GT(size.cx, 0);
}

TEST(DrawTextExtent, ReadsUtf8AndFallsBackToLatin1) {
  CDADC s(SIZE{1, 1});
  DrawContext& dc = s.GetDC();
  dc.SelectFont(MakeFont(30));
  // U+00E9 as UTF-8 and as a Latin-1 byte is the same letter.
  EXPECT_EQ(dc.GetTextExtentPoint32("\xC3\xA9").cx, dc.GetTextExtentPoint32("\xE9").cx);
  EXPECT_GT(dc.GetTextExtentPoint32("\xE9").cx, 0);
  // Broken sequences still measure something, byte by byte.
  EXPECT_GT(dc.GetTextExtentPoint32("\xC3").cx, 0);
  EXPECT_GT(dc.GetTextExtentPoint32("\xF0\x9F").cx, 0);
  EXPECT_GT(dc.GetTextExtentPoint32("\xED\xA0\x80").cx, 0);
}

// Pixels that changed from the background, and their bounds.
struct Changes {
  int count = 0;
  int minX = INT_MAX, minY = INT_MAX, maxX = INT_MIN, maxY = INT_MIN;
  bool onlyColour = true;
};

Changes Diff(const DrawContext& dc, COLORREF background, COLORREF colour) {
  Changes c;
  for (int y = 0; y < dc.height(); ++y)
    for (int x = 0; x < dc.width(); ++x) {
      const COLORREF p = dc.GetPixel(x, y);
      if (p == background) continue;
      ++c.count;
      c.onlyColour = c.onlyColour && p == colour;
      c.minX = std::min(c.minX, x);
      c.maxX = std::max(c.maxX, x);
      c.minY = std::min(c.minY, y);
      c.maxY = std::max(c.maxY, y);
    }
  return c;
}

TEST(DrawTextOut, TransparentWritesOnlyTextColourInsideTheExtent) {
  CDADC s(SIZE{200, 60}, kGreen);
  DrawContext& dc = s.GetDC();
  dc.SelectFont(MakeFont(20));
  dc.SetBkMode(TRANSPARENT);
  dc.SetTextColor(kRed);
  const SIZE extent = dc.GetTextExtentPoint32("Hello, Wg!");
  EXPECT_TRUE(dc.TextOut(10, 15, "Hello, Wg!"));
  const Changes c = Diff(dc, kGreen, kRed);
  EXPECT_GT(c.count, 50);
  EXPECT_TRUE(c.onlyColour);
  EXPECT_GE(c.minX, 10);
  EXPECT_LT(c.maxX, 10 + extent.cx);
  EXPECT_GE(c.minY, 15);
  EXPECT_LT(c.maxY, 15 + extent.cy);
  // "H" reaches up near the top of the cell, "g" below the baseline.
  EXPECT_LT(c.minY, 15 + 8);
  EXPECT_GT(c.maxY, 15 + 15);
}

TEST(DrawTextOut, OpaqueFillsTheCellWithTheBackgroundColour) {
  CDADC s(SIZE{200, 60}, kGreen);
  DrawContext& dc = s.GetDC();
  dc.SelectFont(MakeFont(24));
  EXPECT_EQ(dc.GetBkMode(), OPAQUE);
  dc.SetBkColor(kWhite);
  dc.SetTextColor(kRed);
  const SIZE extent = dc.GetTextExtentPoint32("Opaque");
  dc.TextOut(20, 10, "Opaque");
  int white = 0, red = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 200; ++x) {
      const COLORREF p = dc.GetPixel(x, y);
      const bool inside = x >= 20 && x < 20 + extent.cx && y >= 10 && y < 10 + extent.cy;
      if (!inside) {
        EXPECT_EQ(p, kGreen) << x << "," << y;
      } else {
        EXPECT_TRUE(p == kWhite || p == kRed) << x << "," << y;
        (p == kWhite ? white : red)++;
      }
    }
  EXPECT_GT(red, 50);
  EXPECT_GT(white, red);
}

TEST(DrawTextOut, ClipsAtTheEdgesAndNeverWritesOutside) {
  // Draw into the inside of a bigger surface and check its border.
  constexpr int kGuard = 30;
  CDADC big(SIZE{100 + 2 * kGuard, 40 + 2 * kGuard}, kGreen);
  const PixelBlock outer = big.GetBlock();
  DrawContext dc(PixelBlock{outer.Pixel(kGuard, kGuard + 40 - 1), 100, 40, outer.stride});
  dc.SelectFont(MakeFont(30, 700, true));
  dc.SetTextColor(kRed);
  dc.SetBkColor(kWhite);
  const int places[][2] = {{-7, -9}, {80, 25}, {-2000000000, 5}, {INT_MAX, INT_MAX}, {INT_MIN, INT_MIN}, {90, -20}};
  for (int mode : {TRANSPARENT, OPAQUE}) {
    dc.SetBkMode(mode);
    for (const auto& p : places) dc.TextOut(p[0], p[1], "Wide Text Wg");
  }
  EXPECT_NE(dc.GetPixel(0, 0), kGreen);  // drawn at the corner
  for (int y = 0; y < big.GetHeight(); ++y)
    for (int x = 0; x < big.GetWidth(); ++x) {
      const bool inside = x >= kGuard && x < kGuard + 100 && y >= kGuard && y < kGuard + 40;
      if (!inside) {
        EXPECT_EQ(big.GetDC().GetPixel(x, y), kGreen) << x << "," << y;
      }
    }
}

TEST(DrawTextOut, SameResultOnEveryThread) {
  const Font font = MakeFont(18);
  auto render = [&font](CDADC* s) {
    DrawContext& dc = s->GetDC();
    dc.SelectFont(font);
    dc.SetTextColor(kRed);
    for (int i = 0; i < 20; ++i) dc.TextOut(i, 3 * i, "Threads \xC3\xA0 la carte");
  };
  std::vector<CDADC> surfaces;
  for (int i = 0; i < 4; ++i) surfaces.emplace_back(SIZE{160, 80});
  std::vector<std::thread> threads;
  for (CDADC& s : surfaces) threads.emplace_back(render, &s);
  for (std::thread& t : threads) t.join();
  for (int i = 1; i < 4; ++i)
    for (int y = 0; y < 80; ++y)
      for (int x = 0; x < 160; ++x)
        ASSERT_EQ(surfaces[i].GetDC().GetPixel(x, y), surfaces[0].GetDC().GetPixel(x, y)) << i;
}

}  // namespace
}  // namespace brisol
