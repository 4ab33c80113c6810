#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "raster/Dadc.h"
#include "raster/DrawContext.h"

namespace brisol {
namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kGreen = RGB(0, 255, 0);

using PixelSet = std::set<std::pair<int, int>>;

// Every pixel that is not black.
PixelSet Painted(const DrawContext& dc) {
  PixelSet set;
  for (int y = 0; y < dc.height(); ++y)
    for (int x = 0; x < dc.width(); ++x)
      if (dc.GetPixel(x, y) != 0) set.insert({x, y});
  return set;
}

PixelSet PaintedIn(const DrawContext& dc, COLORREF colour) {
  PixelSet set;
  for (int y = 0; y < dc.height(); ++y)
    for (int x = 0; x < dc.width(); ++x)
      if (dc.GetPixel(x, y) == colour) set.insert({x, y});
  return set;
}

PixelSet Rect(int x0, int y0, int x1, int y1) {  // inclusive
  PixelSet set;
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) set.insert({x, y});
  return set;
}

struct LineCase {
  const char* name;
  POINT from, to;
  PixelSet expected;
};

TEST(DrawFiguresThinLine, DrawsTheNearestPixelsAndLeavesTheEndOut) {
  const std::vector<LineCase> cases = {
      {"horizontal", {2, 5}, {8, 5}, Rect(2, 5, 7, 5)},
      {"leftwards", {8, 5}, {2, 5}, Rect(3, 5, 8, 5)},
      {"vertical", {4, 1}, {4, 7}, Rect(4, 1, 4, 6)},
      {"upwards", {4, 7}, {4, 1}, Rect(4, 2, 4, 7)},
      {"diagonal", {1, 1}, {6, 6}, {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}}},
      {"anti-diagonal", {6, 1}, {1, 6}, {{6, 1}, {5, 2}, {4, 3}, {3, 4}, {2, 5}}},
      {"shallow", {0, 0}, {4, 2}, {{0, 0}, {1, 1}, {2, 1}, {3, 2}}},
      {"steep", {0, 0}, {2, 4}, {{0, 0}, {1, 1}, {1, 2}, {2, 3}}},
      {"a point", {3, 3}, {3, 3}, {}},
      {"one step", {3, 3}, {4, 3}, {{3, 3}}},
  };
  for (const LineCase& c : cases) {
    CDADC s(SIZE{12, 10});
    DrawContext& dc = s.GetDC();
    dc.SelectPen(Pen::Solid(1, kRed));
    dc.MoveTo(c.from.x, c.from.y);
    EXPECT_TRUE(dc.LineTo(c.to.x, c.to.y)) << c.name;
    EXPECT_EQ(Painted(dc), c.expected) << c.name;
    EXPECT_EQ(dc.GetCurrentPosition(), c.to) << c.name;
  }
}

TEST(DrawFiguresThinLine, WidthZeroIsOnePixelAndTheNullPenDrawsNothing) {
  CDADC s(SIZE{10, 10});
  DrawContext& dc = s.GetDC();
  dc.SelectPen(Pen::Solid(0, kRed));
  dc.MoveTo(1, 1);
  dc.LineTo(8, 1);
  EXPECT_EQ(Painted(dc), Rect(1, 1, 7, 1));
  dc.SelectPen(Pen::Null());
  dc.MoveTo(1, 5);
  dc.LineTo(8, 5);
  EXPECT_EQ(Painted(dc), Rect(1, 1, 7, 1));
  EXPECT_EQ(dc.GetCurrentPosition(), (POINT{8, 5}));
}

TEST(DrawFiguresThinLine, ClippedLinesKeepTheirPixels) {
  // A line from far outside must hit exactly the pixels the unclipped line
  // hits inside: compare with the same line drawn on a larger surface.
  CDADC small(SIZE{20, 20}), big(SIZE{60, 60});
  const POINT a{-23, -7}, b{41, 33};
  small.GetDC().SelectPen(Pen::Solid(1, kRed));
  big.GetDC().SelectPen(Pen::Solid(1, kRed));
  small.GetDC().MoveTo(a.x, a.y);
  small.GetDC().LineTo(b.x, b.y);
  big.GetDC().MoveTo(a.x + 20, a.y + 20);
  big.GetDC().LineTo(b.x + 20, b.y + 20);
  EXPECT_FALSE(Painted(small.GetDC()).empty());
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x)
      EXPECT_EQ(small.GetDC().GetPixel(x, y), big.GetDC().GetPixel(x + 20, y + 20)) << x << "," << y;
}

TEST(DrawFiguresPolyline, ThinPenLeavesOnlyTheLastPointOut) {
  CDADC s(SIZE{12, 12});
  DrawContext& dc = s.GetDC();
  dc.SelectPen(Pen::Solid(1, kRed));
  const POINT pts[] = {{1, 1}, {5, 1}, {5, 5}, {2, 5}};
  EXPECT_TRUE(dc.Polyline(pts));
  PixelSet expected = Rect(1, 1, 4, 1);
  for (const auto& p : Rect(5, 1, 5, 4)) expected.insert(p);
  for (const auto& p : Rect(3, 5, 5, 5)) expected.insert(p);
  EXPECT_EQ(Painted(dc), expected);
  EXPECT_FALSE(dc.Polyline(std::span<const POINT>(pts, 1)));
}

TEST(DrawFiguresPolygon, NullPenFillsPixelsWhoseCentresAreInside) {
  CDADC s(SIZE{30, 30});
  DrawContext& dc = s.GetDC();
  dc.SelectPen(Pen::Null());
  dc.SelectBrush(Brush::Solid(kBlue));
  const POINT square[] = {{10, 10}, {20, 10}, {20, 20}, {10, 20}};
  EXPECT_TRUE(dc.Polygon(square));
  EXPECT_EQ(Painted(dc), Rect(10, 10, 19, 19));
}

TEST(DrawFiguresPolygon, TriangleFollowsThePixelCentreRule) {
  CDADC s(SIZE{12, 12});
  DrawContext& dc = s.GetDC();
  dc.SelectPen(Pen::Null());
  dc.SelectBrush(Brush::Solid(kBlue));
  // Right triangle with legs along x = 0 and y = 8, hypotenuse x = y.
  const POINT tri[] = {{0, 0}, {8, 8}, {0, 8}};
  dc.Polygon(tri);
  // Row y is crossed at x = 0 and x = y + 0.5: pixels 0 .. y - 1 have their
  // centres inside; a centre exactly on the right edge is outside.
  PixelSet expected;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < y; ++x) expected.insert({x, y});
  EXPECT_EQ(Painted(dc), expected);
}

std::vector<POINT> Pentagram(int cx, int cy, int r) {
  std::vector<POINT> pts;
  for (int i = 0; i < 5; ++i) {
    const double a = -M_PI / 2 + i * 4 * M_PI / 5;
    pts.push_back(
        {cx + static_cast<int>(std::lround(r * std::cos(a))), cy + static_cast<int>(std::lround(r * std::sin(a)))});
  }
  return pts;
}

TEST(DrawFiguresPolygon, AlternateLeavesThePentagramCentreEmptyWindingFillsIt) {
  const std::vector<POINT> star = Pentagram(50, 50, 40);
  CDADC alt(SIZE{100, 100}), wind(SIZE{100, 100});
  for (CDADC* s : {&alt, &wind}) {
    s->GetDC().SelectPen(Pen::Null());
    s->GetDC().SelectBrush(Brush::Solid(kBlue));
  }
  EXPECT_EQ(alt.GetDC().GetPolyFillMode(), ALTERNATE);
  alt.GetDC().Polygon(star);
  EXPECT_EQ(wind.GetDC().SetPolyFillMode(WINDING), ALTERNATE);
  wind.GetDC().Polygon(star);
  EXPECT_EQ(alt.GetDC().GetPixel(50, 50), 0u);
  EXPECT_EQ(wind.GetDC().GetPixel(50, 50), kBlue);
  // The points of the star are filled either way.
  EXPECT_EQ(alt.GetDC().GetPixel(50, 20), kBlue);
  EXPECT_EQ(wind.GetDC().GetPixel(50, 20), kBlue);
}

TEST(DrawFiguresPolygon, ThinPenOutlinesTheClosedPolygonOverTheFill) {
  CDADC s(SIZE{30, 30});
  DrawContext& dc = s.GetDC();
  dc.SelectPen(Pen::Solid(1, kRed));
  dc.SelectBrush(Brush::Solid(kBlue));
  const POINT square[] = {{10, 10}, {20, 10}, {20, 20}, {10, 20}};
  dc.Polygon(square);
  PixelSet outline;
  for (int i = 10; i <= 20; ++i) {
    outline.insert({i, 10});
    outline.insert({i, 20});
    outline.insert({10, i});
    outline.insert({20, i});
  }
  EXPECT_EQ(PaintedIn(dc, kRed), outline);
  EXPECT_EQ(PaintedIn(dc, kBlue), Rect(11, 11, 19, 19));
}

TEST(DrawFiguresPolygon, NullBrushLeavesTheInsideUntouched) {
  CDADC s(SIZE{30, 30}, kGreen);
  DrawContext& dc = s.GetDC();
  dc.SelectPen(Pen::Solid(3, kRed));
  dc.SelectBrush(Brush::Null());
  const POINT square[] = {{5, 5}, {25, 5}, {25, 25}, {5, 25}};
  dc.Polygon(square);
  EXPECT_EQ(dc.GetPixel(15, 15), kGreen);
  EXPECT_EQ(dc.GetPixel(5, 15), kRed);
}

TEST(DrawFiguresPolygon, TwoPointsDrawTheLineAndFewerNothing) {
  CDADC s(SIZE{12, 12});
  DrawContext& dc = s.GetDC();
  dc.SelectPen(Pen::Solid(1, kRed));
  dc.SelectBrush(Brush::Solid(kBlue));
  const POINT two[] = {{2, 3}, {8, 3}};
  EXPECT_TRUE(dc.Polygon(two));
  EXPECT_EQ(Painted(dc), Rect(2, 3, 8, 3));
  CDADC t(SIZE{12, 12});
  EXPECT_FALSE(t.GetDC().Polygon(std::span<const POINT>(two, 1)));
  EXPECT_FALSE(t.GetDC().Polygon({}));
  EXPECT_TRUE(Painted(t.GetDC()).empty());
}

TEST(DrawFiguresPolygon, ZeroAreaPolygonFillsNothing) {
  CDADC s(SIZE{20, 20});
  DrawContext& dc = s.GetDC();
  dc.SelectPen(Pen::Null());
  dc.SelectBrush(Brush::Solid(kBlue));
  const POINT flat[] = {{1, 1}, {10, 10}, {5, 5}, {18, 18}};
  dc.Polygon(flat);
  const POINT same[] = {{4, 4}, {4, 4}, {4, 4}};
  dc.Polygon(same);
  EXPECT_TRUE(Painted(dc).empty());
}

TEST(DrawFiguresWidePen, FilledPolygonLooksLikeFillThenOutline) {
  // One call must give what filling and then outlining separately give.
  const std::vector<std::vector<POINT>> shapes = {
      Pentagram(40, 40, 35),
      {{5, 5}, {70, 12}, {40, 75}},
      {{-20, 10}, {90, 30}, {10, 60}, {60, -15}},  // self-intersecting, partly outside
      {{10, 10}, {60, 10}, {60, 60}, {10, 60}, {35, 35}},
  };
  for (int mode : {ALTERNATE, WINDING}) {
    for (int width : {2, 5, 9, 30}) {
      for (const auto& shape : shapes) {
        CDADC once(SIZE{80, 80}), twice(SIZE{80, 80});
        once.GetDC().SetPolyFillMode(mode);
        twice.GetDC().SetPolyFillMode(mode);
        once.GetDC().SelectBrush(Brush::Solid(kBlue));
        once.GetDC().SelectPen(Pen::Solid(width, kRed));
        once.GetDC().Polygon(shape);
        twice.GetDC().SelectBrush(Brush::Solid(kBlue));
        twice.GetDC().SelectPen(Pen::Null());
        twice.GetDC().Polygon(shape);
        twice.GetDC().SelectBrush(Brush::Null());
        twice.GetDC().SelectPen(Pen::Solid(width, kRed));
        twice.GetDC().Polygon(shape);
        for (int y = 0; y < 80; ++y)
          for (int x = 0; x < 80; ++x)
            ASSERT_EQ(once.GetDC().GetPixel(x, y), twice.GetDC().GetPixel(x, y))
                << "mode " << mode << " width " << width << " at " << x << "," << y;
      }
    }
  }
}

TEST(DrawFiguresWidePen, ManyVerticedPolygonOnABigSurfaceLooksTheSame) {
  // Too many spans to hold at once: drawn in two passes, with the same result.
  std::vector<POINT> spiky;
  for (int i = 0; i < 300; ++i) {
    const double a = 2 * M_PI * i / 300;
    const double r = (i % 2) ? 480 : 200;
    spiky.push_back({1500 + static_cast<int>(r * std::cos(a) * 3), 500 + static_cast<int>(r * std::sin(a))});
  }
  CDADC once(SIZE{3000, 1000}), twice(SIZE{3000, 1000});
  once.GetDC().SelectBrush(Brush::Solid(kBlue));
  once.GetDC().SelectPen(Pen::Solid(7, kRed));
  once.GetDC().Polygon(spiky);
  twice.GetDC().SelectBrush(Brush::Solid(kBlue));
  twice.GetDC().SelectPen(Pen::Null());
  twice.GetDC().Polygon(spiky);
  twice.GetDC().SelectBrush(Brush::Null());
  twice.GetDC().SelectPen(Pen::Solid(7, kRed));
  twice.GetDC().Polygon(spiky);
  EXPECT_EQ(0, std::memcmp(once.GetBits(), twice.GetBits(), static_cast<std::size_t>(once.GetImageSize())));
  EXPECT_EQ(once.GetDC().GetPixel(1500, 500), kBlue);
}

TEST(DrawFiguresWidePen, LineHasRoundEnds) {
  CDADC s(SIZE{100, 60});
  DrawContext& dc = s.GetDC();
  dc.SelectPen(Pen::Solid(10, kRed));
  dc.MoveTo(20, 30);
  dc.LineTo(60, 30);
  // Beyond the end point within half the width along the line.
  EXPECT_EQ(dc.GetPixel(64, 29), kRed);
  EXPECT_EQ(dc.GetPixel(15, 29), kRed);
  EXPECT_EQ(dc.GetPixel(66, 29), 0u);
  EXPECT_EQ(dc.GetPixel(13, 29), 0u);
  // The body is 10 pixels high.
  EXPECT_EQ(PaintedIn(dc, kRed).count({40, 25}), 1u);
  EXPECT_EQ(dc.GetPixel(40, 34), kRed);
  EXPECT_EQ(dc.GetPixel(40, 24), 0u);
  EXPECT_EQ(dc.GetPixel(40, 35), 0u);
  // A square cap would cover these corners; a round one does not.
  EXPECT_EQ(dc.GetPixel(64, 34), 0u);
  EXPECT_EQ(dc.GetPixel(64, 25), 0u);
  EXPECT_EQ(dc.GetPixel(15, 34), 0u);
  // Every painted pixel's centre lies within 5 of the segment.
  for (const auto& [x, y] : Painted(dc)) {
    const double px = x + 0.5, py = y + 0.5;
    const double cx = std::clamp(px, 20.0, 60.0);
    EXPECT_LE(std::hypot(px - cx, py - 30), 5.0 + 1e-9) << x << "," << y;
  }
}

TEST(DrawFiguresWidePen, PolylineJoinsAreRound) {
  CDADC s(SIZE{60, 60});
  DrawContext& dc = s.GetDC();
  dc.SelectPen(Pen::Solid(12, kRed));
  const POINT pts[] = {{10, 40}, {40, 40}, {40, 10}};
  dc.Polyline(pts);
  // The outer corner of the join is rounded off: (45.5, 45.5) is 7.8 away.
  EXPECT_EQ(dc.GetPixel(45, 45), 0u);
  EXPECT_EQ(dc.GetPixel(43, 43), kRed);
  EXPECT_EQ(dc.GetPixel(40, 40), kRed);
}

TEST(DrawFiguresEllipse, FilledEllipseIsInscribedAndSymmetric) {
  struct Box {
    int l, t, r, b;
  };
  for (const Box& box : {Box{10, 20, 41, 37}, Box{5, 5, 25, 25}, Box{3, 4, 6, 40}, Box{0, 0, 2, 2}}) {
    for (const Pen& pen : {Pen::Null(), Pen::Solid(1, kRed)}) {
      CDADC s(SIZE{50, 50});
      DrawContext& dc = s.GetDC();
      dc.SelectPen(pen);
      dc.SelectBrush(Brush::Solid(kBlue));
      EXPECT_TRUE(dc.Ellipse(box.l, box.t, box.r, box.b));
      const PixelSet painted = Painted(dc);
      int minX = 1000, maxX = -1, minY = 1000, maxY = -1;
      for (const auto& [x, y] : painted) {
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
        EXPECT_EQ(painted.count({box.l + box.r - 1 - x, y}), 1u) << x << "," << y;
        EXPECT_EQ(painted.count({x, box.t + box.b - 1 - y}), 1u) << x << "," << y;
        EXPECT_EQ(dc.GetPixel(box.l + box.r - 1 - x, y), dc.GetPixel(x, y));
      }
      EXPECT_EQ(minX, box.l);
      EXPECT_EQ(maxX, box.r - 1);
      EXPECT_EQ(minY, box.t);
      EXPECT_EQ(maxY, box.b - 1);
    }
  }
}

TEST(DrawFiguresEllipse, CircleRowsFollowTheCentreRule) {
  CDADC s(SIZE{20, 20});
  DrawContext& dc = s.GetDC();
  dc.SelectPen(Pen::Null());
  dc.SelectBrush(Brush::Solid(kBlue));
  dc.Ellipse(0, 0, 10, 10);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) {
      const bool inside = std::hypot(x + 0.5 - 5, y + 0.5 - 5) <= 5.0;
      EXPECT_EQ(dc.GetPixel(x, y) == kBlue, inside) << x << "," << y;
    }
}

TEST(DrawFiguresEllipse, ThinOutlineIsClosedAndNullBrushLeavesTheInside) {
  CDADC s(SIZE{40, 40}, kGreen);
  DrawContext& dc = s.GetDC();
  dc.SelectPen(Pen::Solid(1, kRed));
  dc.SelectBrush(Brush::Null());
  dc.Ellipse(5, 5, 35, 29);
  EXPECT_EQ(dc.GetPixel(20, 17), kGreen);
  // Walking right from the centre, and down, meets the outline.
  for (int x = 20; x < 40; ++x)
    if (dc.GetPixel(x, 17) != kGreen) {
      EXPECT_EQ(dc.GetPixel(x, 17), kRed);
      EXPECT_EQ(x, 34);
      break;
    }
  EXPECT_EQ(dc.GetPixel(20, 28), kRed);
  EXPECT_EQ(dc.GetPixel(20, 29), kGreen);
}

TEST(DrawFiguresEllipse, WidePenIsCentredOnTheBoundary) {
  CDADC s(SIZE{80, 80});
  DrawContext& dc = s.GetDC();
  dc.SelectPen(Pen::Solid(8, kRed));
  dc.SelectBrush(Brush::Solid(kBlue));
  dc.Ellipse(20, 20, 60, 60);  // centre (40, 40), radius 20; pen from 16 to 24
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 80; ++x) {
      const double d = std::hypot(x + 0.5 - 40, y + 0.5 - 40);
      const COLORREF c = dc.GetPixel(x, y);
      if (d < 15.9) {
        EXPECT_EQ(c, kBlue) << x << "," << y;
      } else if (d > 16.1 && d < 23.9) {
        EXPECT_EQ(c, kRed) << x << "," << y;
      } else if (d > 24.1) {
        EXPECT_EQ(c, 0u) << x << "," << y;
      }
    }
  // A flattened ellipse gets a stroke of the same width.
  CDADC e(SIZE{100, 60});
  e.GetDC().SelectPen(Pen::Solid(6, kRed));
  e.GetDC().SelectBrush(Brush::Solid(kBlue));
  e.GetDC().Ellipse(10, 10, 90, 50);
  EXPECT_EQ(e.GetDC().GetPixel(50, 30), kBlue);
  EXPECT_EQ(e.GetDC().GetPixel(50, 10), kRed);
  EXPECT_EQ(e.GetDC().GetPixel(50, 7), kRed);
  EXPECT_EQ(e.GetDC().GetPixel(50, 5), 0u);
  EXPECT_EQ(e.GetDC().GetPixel(8, 30), kRed);
  EXPECT_EQ(e.GetDC().GetPixel(5, 30), 0u);
}

TEST(DrawFiguresEllipse, SwappedCornersAndEmptyBoxes) {
  CDADC a(SIZE{30, 30}), b(SIZE{30, 30});
  for (CDADC* s : {&a, &b}) s->GetDC().SelectBrush(Brush::Solid(kBlue));
  a.GetDC().Ellipse(5, 6, 25, 20);
  b.GetDC().Ellipse(25, 20, 5, 6);
  EXPECT_EQ(Painted(a.GetDC()), Painted(b.GetDC()));
  CDADC c(SIZE{30, 30});
  c.GetDC().SelectPen(Pen::Null());
  c.GetDC().Ellipse(5, 5, 5, 20);
  c.GetDC().Ellipse(5, 5, 20, 5);
  EXPECT_TRUE(Painted(c.GetDC()).empty());
}

// A drawing context over the inside of a larger block whose border is filled
// with a canary: drawing must never touch the border.
class GuardedSurface {
 public:
  static constexpr int kGuard = 8;
  GuardedSurface(int w, int h) : m_w(w), m_h(h), m_stride(BytesPerRow24(w + 2 * kGuard)) {
    m_bytes.assign(static_cast<std::size_t>(m_stride) * (h + 2 * kGuard), kCanary);
    PixelBlock inner{m_bytes.data() + kGuard * m_stride + 3 * kGuard, w, h, m_stride};
    m_dc = DrawContext(inner);
    m_dc.FillSolidRect(0, 0, w, h, 0);
  }
  DrawContext& dc() { return m_dc; }
  // Whether every byte outside the inner block still holds the canary.
  bool GuardIntact() const {
    for (int row = 0; row < m_h + 2 * kGuard; ++row)
      for (int i = 0; i < m_stride; ++i) {
        const bool inside = row >= kGuard && row < kGuard + m_h && i >= 3 * kGuard && i < 3 * (kGuard + m_w);
        if (!inside && m_bytes[static_cast<std::size_t>(row) * m_stride + i] != kCanary) return false;
      }
    return true;
  }

 private:
  static constexpr std::uint8_t kCanary = 0xA5;
  int m_w, m_h, m_stride;
  std::vector<std::uint8_t> m_bytes;
  DrawContext m_dc;
};

struct AbsurdCase {
  const char* name;
  Pen pen;
  std::function<void(DrawContext&)> draw;
};

TEST(DrawFiguresClipping, AbsurdInputNeverWritesOutside) {
  constexpr int kBig = 2000000000;
  const std::vector<POINT> huge = {{-kBig, -kBig}, {kBig, -kBig + 7}, {kBig, kBig}, {-kBig + 3, kBig}};
  const std::vector<POINT> extreme = {{INT_MIN, INT_MIN}, {INT_MAX, INT_MIN}, {INT_MAX, INT_MAX}, {INT_MIN, 5}};
  const std::vector<POINT> bowtie = {{-50, -50}, {80, 90}, {80, -50}, {-50, 90}};
  const std::vector<POINT> sliver = {{-kBig, 10}, {kBig, 11}, {kBig, 11}, {-kBig, 10}};
  const std::vector<AbsurdCase> cases = {
      {"huge polygon", Pen::Solid(1, kRed), [&](DrawContext& dc) { dc.Polygon(huge); }},
      {"extreme polygon", Pen::Solid(1, kRed), [&](DrawContext& dc) { dc.Polygon(extreme); }},
      {"extreme polygon wide", Pen::Solid(9, kRed), [&](DrawContext& dc) { dc.Polygon(extreme); }},
      {"bow tie", Pen::Solid(5, kRed), [&](DrawContext& dc) { dc.Polygon(bowtie); }},
      {"sliver", Pen::Solid(3, kRed), [&](DrawContext& dc) { dc.Polygon(sliver); }},
      {"huge pen", Pen::Solid(1000000, kRed), [&](DrawContext& dc) { dc.Polygon(bowtie); }},
      {"huge pen far away", Pen::Solid(1000000, kRed), [&](DrawContext& dc) { dc.Polygon(huge); }},
      {"largest pen", Pen::Solid(INT_MAX, kRed),
       [&](DrawContext& dc) {
         dc.MoveTo(3, 3);
         dc.LineTo(20, 9);
       }},
      {"negative pen", Pen::Solid(-7, kRed),
       [&](DrawContext& dc) {
         dc.MoveTo(-3, -3);
         dc.LineTo(50, 50);
       }},
      {"thin line across", Pen::Solid(1, kRed),
       [&](DrawContext& dc) {
         dc.MoveTo(INT_MIN, INT_MIN);
         dc.LineTo(INT_MAX, INT_MAX);
         dc.MoveTo(INT_MAX, INT_MIN);
         dc.LineTo(INT_MIN, INT_MAX);
         dc.MoveTo(-kBig, 12);
         dc.LineTo(kBig, 13);
       }},
      {"wide line across", Pen::Solid(9, kRed),
       [&](DrawContext& dc) {
         dc.MoveTo(INT_MIN, INT_MIN);
         dc.LineTo(INT_MAX, INT_MAX);
         dc.MoveTo(-kBig, 12);
         dc.LineTo(kBig, 13);
       }},
      {"polyline", Pen::Solid(4, kRed), [&](DrawContext& dc) { dc.Polyline(extreme); }},
      {"huge ellipse thin", Pen::Solid(1, kRed), [&](DrawContext& dc) { dc.Ellipse(-kBig, -kBig, kBig, kBig); }},
      {"huge ellipse wide", Pen::Solid(20, kRed), [&](DrawContext& dc) { dc.Ellipse(-kBig, -kBig, kBig, kBig); }},
      {"huge flat ellipse wide", Pen::Solid(20, kRed), [&](DrawContext& dc) { dc.Ellipse(INT_MIN, -5, INT_MAX, 30); }},
      {"extreme ellipse", Pen::Solid(1, kRed),
       [&](DrawContext& dc) { dc.Ellipse(INT_MIN, INT_MIN, INT_MAX, INT_MAX); }},
      {"ellipse at the edge", Pen::Solid(30, kRed), [&](DrawContext& dc) { dc.Ellipse(-10, -10, 12, 12); }},
      {"ellipse huge pen", Pen::Solid(1000000, kRed), [&](DrawContext& dc) { dc.Ellipse(10, 10, 40, 30); }},
      // Found by fuzzing: tens of thousands of crossings on every row.
      {"long ellipse, enormous pen", Pen::Solid(762472048, kRed),
       [&](DrawContext& dc) { dc.Ellipse(29, 45, 197632, -49); }},
  };
  for (const AbsurdCase& c : cases) {
    GuardedSurface s(37, 23);
    s.dc().SelectPen(c.pen);
    s.dc().SelectBrush(Brush::Solid(kBlue));
    c.draw(s.dc());
    EXPECT_TRUE(s.GuardIntact()) << c.name;
    s.dc().SetPolyFillMode(WINDING);
    c.draw(s.dc());
    EXPECT_TRUE(s.GuardIntact()) << c.name << " (winding)";
  }
}

TEST(DrawFiguresClipping, FiguresLargerThanTheSurfaceCoverIt) {
  constexpr int kBig = 2000000000;
  GuardedSurface s(41, 29);
  DrawContext& dc = s.dc();
  dc.SelectPen(Pen::Null());
  dc.SelectBrush(Brush::Solid(kBlue));
  const POINT square[] = {{-kBig, -kBig}, {kBig, -kBig}, {kBig, kBig}, {-kBig, kBig}};
  dc.Polygon(square);
  EXPECT_EQ(PaintedIn(dc, kBlue).size(), 41u * 29u);
  dc.SelectBrush(Brush::Solid(kGreen));
  dc.SelectPen(Pen::Solid(1, kRed));
  dc.Ellipse(-kBig, -kBig, kBig, kBig);
  EXPECT_EQ(PaintedIn(dc, kGreen).size(), 41u * 29u);
  dc.SelectPen(Pen::Solid(1000000, kRed));
  dc.MoveTo(-5, 3);
  dc.LineTo(7, 5);
  EXPECT_EQ(PaintedIn(dc, kRed).size(), 41u * 29u);
  EXPECT_TRUE(s.GuardIntact());
}

TEST(DrawFiguresClipping, PartlyVisiblePolygonMatchesTheUnclippedOne) {
  // The visible part of a clipped figure is the same as the corresponding
  // part of the figure drawn whole on a bigger surface.
  const std::vector<POINT> star = Pentagram(10, 12, 30);
  CDADC small(SIZE{30, 25}), big(SIZE{100, 100});
  std::vector<POINT> shifted = star;
  for (POINT& p : shifted) {
    p.x += 40;
    p.y += 40;
  }
  for (CDADC* s : {&small, &big}) {
    s->GetDC().SelectPen(Pen::Solid(5, kRed));
    s->GetDC().SelectBrush(Brush::Solid(kBlue));
  }
  small.GetDC().Polygon(star);
  big.GetDC().Polygon(shifted);
  for (int y = 0; y < 25; ++y)
    for (int x = 0; x < 30; ++x)
      EXPECT_EQ(small.GetDC().GetPixel(x, y), big.GetDC().GetPixel(x + 40, y + 40)) << x << "," << y;
}

TEST(DrawFigures, DefaultContextDrawsNothing) {
  DrawContext dc;
  const POINT pts[] = {{0, 0}, {5, 5}, {0, 5}};
  EXPECT_FALSE(dc.Polygon(pts));
  EXPECT_FALSE(dc.Polyline(pts));
  EXPECT_FALSE(dc.Ellipse(0, 0, 5, 5));
  EXPECT_FALSE(dc.LineTo(5, 5));
}

}  // namespace
}  // namespace brisol
