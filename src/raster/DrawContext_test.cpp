#include "raster/DrawContext.h"

#include <gtest/gtest.h>

#include <functional>

#include "raster/Dadc.h"

namespace brisol {
namespace {

TEST(DrawContextBlit, FillSolidRectClipsToTheSurface) {
  CDADC s(SIZE{10, 10});
  DrawContext& dc = s.GetDC();
  dc.FillSolidRect(-5, -5, 8, 8, RGB(1, 2, 3));
  dc.FillSolidRect(8, 8, 100000, 100000, RGB(4, 5, 6));
  dc.FillSolidRect(-2000000000, 0, 2000000000, 2000000000, RGB(7, 7, 7));  // no overflow
  EXPECT_EQ(dc.GetPixel(2, 2), RGB(1, 2, 3));
  EXPECT_EQ(dc.GetPixel(3, 3), RGB(0, 0, 0));
  EXPECT_EQ(dc.GetPixel(9, 9), RGB(4, 5, 6));
  EXPECT_EQ(dc.GetPixel(10, 9), CLR_INVALID);
  EXPECT_EQ(dc.GetPixel(-1, 0), CLR_INVALID);
}

TEST(DrawContextBlit, BitBltCopiesAndClips) {
  CDADC src(SIZE{4, 4}), dst(SIZE{4, 4});
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) src.GetDC().SetPixel(x, y, RGB(x, y, 9));
  EXPECT_TRUE(dst.GetDC().BitBlt(1, 1, 10, 10, src.GetDC(), 0, 0));
  EXPECT_EQ(dst.GetDC().GetPixel(0, 0), RGB(0, 0, 0));
  EXPECT_EQ(dst.GetDC().GetPixel(1, 1), RGB(0, 0, 9));
  EXPECT_EQ(dst.GetDC().GetPixel(3, 2), RGB(2, 1, 9));
  // A source rectangle partly outside the source copies only what exists.
  CDADC dst2(SIZE{4, 4});
  EXPECT_TRUE(dst2.GetDC().BitBlt(0, 0, 4, 4, src.GetDC(), -1, -1));
  EXPECT_EQ(dst2.GetDC().GetPixel(0, 0), RGB(0, 0, 0));
  EXPECT_EQ(dst2.GetDC().GetPixel(1, 1), RGB(0, 0, 9));
  EXPECT_EQ(dst2.GetDC().GetPixel(3, 3), RGB(2, 2, 9));
}

TEST(DrawContextBlit, StretchPicksWholePixels) {
  CDADC src(SIZE{2, 2});
  src.GetDC().SetPixel(0, 0, RGB(10, 0, 0));
  src.GetDC().SetPixel(1, 0, RGB(20, 0, 0));
  src.GetDC().SetPixel(0, 1, RGB(30, 0, 0));
  src.GetDC().SetPixel(1, 1, RGB(40, 0, 0));
  // Enlarging by 2 repeats every pixel as a 2 x 2 block, never blending.
  CDADC big(SIZE{4, 4});
  ASSERT_TRUE(big.GetDC().StretchBlt(0, 0, 4, 4, src.GetDC(), 0, 0, 2, 2));
  const COLORREF expected[4][4] = {
      {RGB(10, 0, 0), RGB(10, 0, 0), RGB(20, 0, 0), RGB(20, 0, 0)},
      {RGB(10, 0, 0), RGB(10, 0, 0), RGB(20, 0, 0), RGB(20, 0, 0)},
      {RGB(30, 0, 0), RGB(30, 0, 0), RGB(40, 0, 0), RGB(40, 0, 0)},
      {RGB(30, 0, 0), RGB(30, 0, 0), RGB(40, 0, 0), RGB(40, 0, 0)},
  };
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(big.GetDC().GetPixel(x, y), expected[y][x]) << x << "," << y;
  // Shrinking drops rows and columns: every result is one of the sources.
  CDADC small(SIZE{1, 1});
  ASSERT_TRUE(small.GetDC().StretchBlt(0, 0, 1, 1, big.GetDC(), 0, 0, 4, 4));
  const COLORREF picked = small.GetDC().GetPixel(0, 0);
  EXPECT_TRUE(picked == RGB(10, 0, 0) || picked == RGB(20, 0, 0) || picked == RGB(30, 0, 0) || picked == RGB(40, 0, 0));
  // A negative width mirrors.
  CDADC mirrored(SIZE{2, 2});
  ASSERT_TRUE(mirrored.GetDC().StretchBlt(1, 0, -2, 2, src.GetDC(), 0, 0, 2, 2));
  EXPECT_EQ(mirrored.GetDC().GetPixel(0, 0), RGB(20, 0, 0));
  EXPECT_EQ(mirrored.GetDC().GetPixel(1, 0), RGB(10, 0, 0));
}

TEST(DrawContextBlit, SelectReturnsThePrevious) {
  DrawContext dc;
  EXPECT_EQ(dc.GetCurrentPen(), Pen::Solid(1, RGB(0, 0, 0)));
  EXPECT_EQ(dc.GetCurrentBrush(), Brush::Solid(RGB(255, 255, 255)));
  const Pen red = Pen::Solid(3, RGB(255, 0, 0));
  const Pen old = dc.SelectPen(red);
  EXPECT_EQ(dc.SelectPen(old), red);
  EXPECT_EQ(dc.SelectBrush(Brush::Null()), Brush::Solid(RGB(255, 255, 255)));
  EXPECT_TRUE(dc.GetCurrentBrush().IsNull());
  EXPECT_EQ(dc.SetBkMode(TRANSPARENT), OPAQUE);
  EXPECT_EQ(dc.SetStretchBltMode(COLORONCOLOR), BLACKONWHITE);
  EXPECT_EQ(dc.MoveTo(5, 6), (POINT{0, 0}));
  EXPECT_EQ(dc.GetCurrentPosition(), (POINT{5, 6}));
}

TEST(DrawContextBlit, DefaultContextDrawsNothing) {
  DrawContext dc;
  dc.FillSolidRect(0, 0, 10, 10, RGB(1, 1, 1));
  EXPECT_EQ(dc.GetPixel(0, 0), CLR_INVALID);
  EXPECT_FALSE(dc.BitBlt(0, 0, 1, 1, dc, 0, 0));
}

// FigurePixelsWritten counts every pixel a drawing writes, whatever writes
// it: fills, wide pens, one-pixel lines, text and rectangles.
constexpr COLORREF kWhiteBackground = RGB(255, 255, 255);

int NotWhite(const DrawContext& dc) {
  int n = 0;
  for (int y = 0; y < dc.height(); ++y)
    for (int x = 0; x < dc.width(); ++x) n += dc.GetPixel(x, y) != kWhiteBackground;
  return n;
}

TEST(PixelsWritten, EveryWayOfWritingIsCounted) {
  // Each operation writes every pixel it touches once, in a colour not
  // white, so the count is the pixels it changed.
  const struct {
    const char* name;
    std::function<void(DrawContext&)> draw;
  } cases[] = {
      {"one-pixel line",
       [](DrawContext& dc) {
         dc.SelectPen(Pen::Solid(1, 0));
         dc.MoveTo(3, 4);
         dc.LineTo(57, 31);
       }},
      {"one-pixel polyline",
       [](DrawContext& dc) {
         dc.SelectPen(Pen::Solid(0, 0));
         const POINT p[] = {{2, 2}, {50, 2}, {50, 40}};
         dc.Polyline(p);
       }},
      {"wide line",
       [](DrawContext& dc) {
         dc.SelectPen(Pen::Solid(5, 0));
         dc.MoveTo(3, 4);
         dc.LineTo(57, 31);
       }},
      {"filled polygon",
       [](DrawContext& dc) {
         dc.SelectPen(Pen::Null());
         dc.SelectBrush(Brush::Solid(0));
         const POINT p[] = {{5, 5}, {60, 10}, {30, 40}};
         dc.Polygon(p);
       }},
      {"text",
       [](DrawContext& dc) {
         dc.SetBkMode(TRANSPARENT);
         dc.SelectFont(Font::Create(LogFont{.height = 20}));
         dc.TextOut(2, 2, "Brisol");
       }},
      {"rectangle", [](DrawContext& dc) { dc.FillSolidRect(10, 10, 7, 9, RGB(1, 2, 3)); }},
  };
  for (const auto& c : cases) {
    CDADC surface(SIZE{64, 48}, kWhiteBackground);
    const std::uint64_t before = FigurePixelsWritten();
    c.draw(surface.GetDC());
    const std::uint64_t written = FigurePixelsWritten() - before;
    EXPECT_GT(written, 0u) << c.name;
    EXPECT_EQ(written, static_cast<std::uint64_t>(NotWhite(surface.GetDC()))) << c.name;
  }
}

}  // namespace
}  // namespace brisol
