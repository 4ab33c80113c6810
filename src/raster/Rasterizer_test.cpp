#include "raster/Rasterizer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

namespace brisol {
namespace {

constexpr int kW = 40, kH = 30;

// Whether the centre of pixel (px, py) is inside the closed polygon, decided
// one pixel at a time: crossings of the centre line at or left of the centre
// are counted (by direction for the nonzero rule).
bool InsideByCounting(const std::vector<POINT>& pts, int px, int py, FillRule rule) {
  const double xc = px + 0.5, yc = py + 0.5;
  int winding = 0, crossings = 0;
  for (std::size_t i = 0; i < pts.size(); ++i) {
    double x0 = pts[i].x, y0 = pts[i].y;
    double x1 = pts[(i + 1) % pts.size()].x, y1 = pts[(i + 1) % pts.size()].y;
    int dir = 1;
    if (y0 == y1) continue;
    if (y0 > y1) {
      std::swap(x0, x1);
      std::swap(y0, y1);
      dir = -1;
    }
    if (!(y0 <= yc && yc < y1)) continue;
    const double x = x0 + (yc - y0) * (x1 - x0) / (y1 - y0);
    if (x <= xc) {
      winding += dir;
      ++crossings;
    }
  }
  return rule == FillRule::EvenOdd ? (crossings & 1) != 0 : winding != 0;
}

std::vector<std::uint8_t> Rasterize(const std::vector<POINT>& pts, FillRule rule, int w, int h) {
  std::vector<std::uint8_t> hit(static_cast<std::size_t>(w) * h, 0);
  ScanlineRasterizer ras;
  ras.Reset(w, h);
  ras.AddPolygon(pts);
  int lastY = -1, lastX1 = -1;
  ras.Sweep(rule, [&](const Span& s) {
    EXPECT_GE(s.y, 0);
    EXPECT_LT(s.y, h);
    EXPECT_GE(s.x0, 0);
    EXPECT_LE(s.x1, w);
    EXPECT_LT(s.x0, s.x1);
    // Rows come down the picture, spans left to right without touching.
    EXPECT_GE(s.y, lastY);
    if (s.y == lastY) {
      EXPECT_GT(s.x0, lastX1);
    }
    lastY = s.y;
    lastX1 = s.x1;
    for (int x = s.x0; x < s.x1; ++x) {
      EXPECT_EQ(hit[s.y * w + x], 0) << "pixel given twice";
      hit[s.y * w + x] = 1;
    }
  });
  return hit;
}

void ExpectSameAsCounting(const std::vector<POINT>& pts, FillRule rule, const char* what, int w = kW, int h = kH) {
  const std::vector<std::uint8_t> hit = Rasterize(pts, rule, w, h);
  int wrong = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if ((hit[y * w + x] != 0) != InsideByCounting(pts, x, y, rule) && ++wrong <= 3)
        ADD_FAILURE() << what << ": pixel " << x << "," << y;
}

TEST(Rasterizer, RandomPolygonsMatchPixelByPixelCounting) {
  std::uint32_t state = 12345;
  auto next = [&state](int range) {
    state = state * 1664525u + 1013904223u;
    return static_cast<int>((state >> 8) % static_cast<std::uint32_t>(range));
  };
  for (int trial = 0; trial < 400; ++trial) {
    std::vector<POINT> pts(3 + next(10));
    for (POINT& p : pts) p = {next(kW + 20) - 10, next(kH + 20) - 10};
    ExpectSameAsCounting(pts, FillRule::EvenOdd, "alternate");
    ExpectSameAsCounting(pts, FillRule::NonZero, "winding");
  }
}

// Rasterizes the closed contour through points with fractional corners and
// compares every pixel whose centre is not within a hair of a crossing.
void ExpectFractionalSameAsCounting(const std::vector<std::pair<double, double>>& pts, FillRule rule, int trial) {
  ScanlineRasterizer ras;
  ras.Reset(kW, kH);
  for (std::size_t i = 0; i < pts.size(); ++i) {
    const auto& a = pts[i];
    const auto& b = pts[(i + 1) % pts.size()];
    ras.AddEdge(a.first, a.second, b.first, b.second);
  }
  std::vector<std::uint8_t> hit(kW * kH, 0);
  ras.Sweep(rule, [&](const Span& s) {
    for (int x = s.x0; x < s.x1; ++x) hit[s.y * kW + x] = 1;
  });
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const double xc = x + 0.5, yc = y + 0.5;
      int winding = 0, crossings = 0;
      bool nearEdge = false;
      for (std::size_t i = 0; i < pts.size(); ++i) {
        auto [x0, y0] = pts[i];
        auto [x1, y1] = pts[(i + 1) % pts.size()];
        if (y0 == y1) continue;
        int dir = 1;
        if (y0 > y1) {
          std::swap(x0, x1);
          std::swap(y0, y1);
          dir = -1;
        }
        if (std::abs(y0 - yc) < 1e-9 || std::abs(y1 - yc) < 1e-9) nearEdge = true;
        if (!(y0 <= yc && yc < y1)) continue;
        const double cx = x0 + (yc - y0) * (x1 - x0) / (y1 - y0);
        if (std::abs(cx - xc) < 1e-6) nearEdge = true;
        if (cx <= xc) {
          winding += dir;
          ++crossings;
        }
      }
      if (nearEdge) continue;
      const bool inside = rule == FillRule::EvenOdd ? (crossings & 1) != 0 : winding != 0;
      ASSERT_EQ(hit[y * kW + x] != 0, inside) << "trial " << trial << " pixel " << x << "," << y;
    }
}

TEST(Rasterizer, FractionalCornersMatchCountingAwayFromTheEdges) {
  // Corners between whole pixels step in floating point.
  std::uint32_t state = 777;
  auto next = [&state](int range) {
    state = state * 1664525u + 1013904223u;
    return static_cast<int>((state >> 8) % static_cast<std::uint32_t>(range));
  };
  for (int trial = 0; trial < 300; ++trial) {
    std::vector<std::pair<double, double>> pts(3 + next(8));
    for (auto& p : pts) p = {(next(7 * (kW + 20)) - 70) / 7.0, (next(7 * (kH + 20)) - 70) / 7.0};
    for (FillRule rule : {FillRule::EvenOdd, FillRule::NonZero}) ExpectFractionalSameAsCounting(pts, rule, trial);
  }
}

TEST(Rasterizer, ManyEdgesOnEveryRowMatchCounting) {
  // A comb of 20,000 teeth from far above to far below a narrow, tall
  // picture: tens of thousands of crossings per row, more than a band of
  // the usual height can hold.
  constexpr int kCombW = 2, kCombH = 300;
  std::vector<POINT> comb;
  for (int i = 0; i < 20000; ++i) {
    comb.push_back({-30000 + 3 * i, -5});
    comb.push_back({-30000 + 3 * i + 1, kCombH + 7});
  }
  comb.push_back({40000, kCombH + 50});
  comb.push_back({-30000, kCombH + 50});
  ExpectSameAsCounting(comb, FillRule::EvenOdd, "comb alternate", kCombW, kCombH);
  ExpectSameAsCounting(comb, FillRule::NonZero, "comb winding", kCombW, kCombH);
}

TEST(Rasterizer, BusyRowsMatchPixelByPixelCounting) {
  // Self-crossing polygons of many points, so that rows hold dozens to
  // hundreds of crossings: in a narrow picture they crowd a few pixels, in a
  // wide one they lie far apart, and each kind of row is put in order its
  // own way.
  std::uint32_t state = 4242;
  auto next = [&state](int range) {
    state = state * 1664525u + 1013904223u;
    return static_cast<int>((state >> 8) % static_cast<std::uint32_t>(range));
  };
  struct Case {
    int w, h, minPoints, maxPoints;
  };
  for (const Case& c : {Case{kW, kH, 20, 600}, Case{600, 24, 40, 400}, Case{3, 200, 30, 90}}) {
    for (int trial = 0; trial < 40; ++trial) {
      std::vector<POINT> pts(static_cast<std::size_t>(c.minPoints + next(c.maxPoints - c.minPoints)));
      for (POINT& p : pts) p = {next(c.w + 20) - 10, next(c.h + 20) - 10};
      ExpectSameAsCounting(pts, FillRule::EvenOdd, "busy alternate", c.w, c.h);
      ExpectSameAsCounting(pts, FillRule::NonZero, "busy winding", c.w, c.h);
    }
  }
}

TEST(Rasterizer, StarsOfManyPointsMatchCounting) {
  // Regular stars {n/k}: every edge crosses many others, and many crossings
  // of a row fall on the same pixel.
  for (const auto& [n, k] : {std::pair{101, 50}, std::pair{64, 27}, std::pair{400, 133}, std::pair{35, 17}}) {
    std::vector<POINT> pts;
    for (int i = 0; i < n; ++i) {
      const double a = 2 * 3.14159265358979 * ((static_cast<long long>(i) * k) % n) / n;
      pts.push_back(
          {static_cast<int>(std::lround(20 + 19 * std::cos(a))), static_cast<int>(std::lround(15 + 14 * std::sin(a)))});
    }
    ExpectSameAsCounting(pts, FillRule::EvenOdd, "star alternate");
    ExpectSameAsCounting(pts, FillRule::NonZero, "star winding");
  }
}

TEST(Rasterizer, BusyRowsOfFractionalCornersMatchCountingAwayFromTheEdges) {
  std::uint32_t state = 99;
  auto next = [&state](int range) {
    state = state * 1664525u + 1013904223u;
    return static_cast<int>((state >> 8) % static_cast<std::uint32_t>(range));
  };
  for (int trial = 0; trial < 30; ++trial) {
    std::vector<std::pair<double, double>> pts(static_cast<std::size_t>(40 + next(300)));
    for (auto& p : pts) p = {(next(13 * (kW + 20)) - 130) / 13.0, (next(13 * (kH + 20)) - 130) / 13.0};
    for (FillRule rule : {FillRule::EvenOdd, FillRule::NonZero}) ExpectFractionalSameAsCounting(pts, rule, trial);
  }
}

TEST(Rasterizer, EdgesThatAreNotFiniteAreDropped) {
  ScanlineRasterizer ras;
  ras.Reset(kW, kH);
  const double inf = 1.0 / 0.0;
  ras.AddEdge(0, 0, inf, 10);
  ras.AddEdge(0, 0, 5, 0.0 / 0.0);
  ras.AddEdge(3, 3, 3, 3);
  EXPECT_TRUE(ras.Empty());
  ras.AddEdge(2, 0, 2, 10);
  ras.AddEdge(8, 10, 8, 0);
  int pixels = 0;
  ras.Sweep(FillRule::NonZero, [&](const Span& s) { pixels += s.x1 - s.x0; });
  EXPECT_EQ(pixels, 60);
}

// The spans of rows [top, kH) of a sweep whose clip box starts at top.
std::vector<Span> SweptFrom(int top, const std::vector<std::pair<double, double>>& pts, FillRule rule) {
  ScanlineRasterizer ras;
  ras.Reset(kW, kH, top);
  for (std::size_t i = 0; i < pts.size(); ++i) {
    const auto& a = pts[i];
    const auto& b = pts[(i + 1) % pts.size()];
    ras.AddEdge(a.first, a.second, b.first, b.second);
  }
  std::vector<Span> spans;
  ras.Sweep(rule, [&](const Span& s) { spans.push_back(s); });
  return spans;
}

// A figure picked up below its top row gives, row for row, the spans of the
// whole sweep, for corners on whole pixels (stepped in integers) and
// fractional ones (stepped in floating point) alike.
TEST(Rasterizer, ASweepStartedLowerGivesTheSameRows) {
  std::uint32_t state = 777;
  auto next = [&state](double range) {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) * (range / 16777216.0);
  };
  for (int trial = 0; trial < 300; ++trial) {
    const bool whole = trial % 2 == 0;
    std::vector<std::pair<double, double>> pts(3 + static_cast<int>(next(12)));
    for (auto& p : pts) {
      p = {next(kW + 20) - 10, next(3 * kH) - kH};
      if (whole) p = {std::floor(p.first), std::floor(p.second)};
    }
    for (FillRule rule : {FillRule::EvenOdd, FillRule::NonZero}) {
      const std::vector<Span> all = SweptFrom(0, pts, rule);
      for (int top : {1, 7, kH / 2, kH - 1, kH}) {
        std::vector<Span> expected;
        for (const Span& s : all)
          if (s.y >= top) expected.push_back(s);
        const std::vector<Span> lower = SweptFrom(top, pts, rule);
        ASSERT_EQ(lower.size(), expected.size()) << "trial " << trial << " top " << top;
        for (std::size_t i = 0; i < lower.size(); ++i) {
          ASSERT_EQ(lower[i].y, expected[i].y) << "trial " << trial << " top " << top;
          ASSERT_EQ(lower[i].x0, expected[i].x0) << "trial " << trial << " top " << top;
          ASSERT_EQ(lower[i].x1, expected[i].x1) << "trial " << trial << " top " << top;
        }
      }
    }
  }
}

}  // namespace
}  // namespace brisol
