// Outlines taken from the cache must give the runs worked out without it,
// and a recording context that keeps some rows only must give the runs of
// those rows, whatever lies above or below them.
#include "raster/StrokeCache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "raster/DrawContext.h"
#include "raster/SpanRecorder.h"

namespace brisol {
namespace {

constexpr int kW = 160, kH = 200;

struct Figure {
  const char* name;
  std::vector<POINT> points;
  bool polygon;  // a filled polygon with an outline, else a polyline
  int penWidth;
};

std::vector<Figure> Figures() {
  return {
      {"leaf", {{40, 20}, {90, 35}, {120, 90}, {95, 150}, {50, 130}, {30, 70}}, true, 9},
      {"thin-ish", {{10, 10}, {150, 60}, {20, 190}}, true, 2},
      {"wide", {{60, 60}, {100, 70}, {80, 120}}, true, 40},
      {"repeated points", {{20, 20}, {20, 20}, {140, 30}, {140, 30}, {70, 180}}, false, 7},
      {"two points", {{5, 100}, {155, 110}}, false, 15},
      {"partly outside", {{-50, -40}, {200, 30}, {120, 260}}, true, 11},
  };
}

bool SameRun(const ColourRun& a, const ColourRun& b) {
  return std::tie(a.y, a.x0, a.x1, a.colour) == std::tie(b.y, b.x0, b.x1, b.colour);
}

// The runs of the figure in rows [top, bottom), drawn with the cache.
std::vector<ColourRun> Runs(const Figure& f, int top, int bottom, StrokeCache* cache) {
  SpanRecorder recorder;
  recorder.KeepRows(top, bottom);
  // As a band is drawn: rows below it are never worked out.
  DrawContext dc(kW, bottom, recorder);
  dc.SetStrokeCache(cache);
  dc.SelectPen(Pen::Solid(f.penWidth, RGB(200, 10, 10)));
  dc.SelectBrush(Brush::Solid(RGB(10, 200, 10)));
  if (f.polygon)
    dc.Polygon(f.points);
  else
    dc.Polyline(f.points);
  return recorder.Runs();
}

void ExpectSameRuns(const std::vector<ColourRun>& want, const std::vector<ColourRun>& got, const std::string& what) {
  ASSERT_EQ(want.size(), got.size()) << what;
  for (std::size_t i = 0; i < want.size(); ++i) ASSERT_TRUE(SameRun(want[i], got[i])) << what << " run " << i;
}

TEST(StrokeCache, BandsDrawnWithTheCacheGiveTheRunsOfTheWholeFigure) {
  for (const Figure& f : Figures()) {
    const std::vector<ColourRun> whole = Runs(f, 0, kH, nullptr);
    ASSERT_FALSE(whole.empty()) << f.name;
    for (const int rows : {1, 7, 32, 64, kH}) {
      StrokeCache cache;
      for (int pass = 0; pass < 2; ++pass) {  // outlines made, then taken from the cache
        for (int top = 0; top < kH; top += rows) {
          const int bottom = std::min(kH, top + rows);
          std::vector<ColourRun> want;
          for (const ColourRun& r : whole)
            if (r.y >= top && r.y < bottom) want.push_back(r);
          ExpectSameRuns(want, Runs(f, top, bottom, &cache),
                         std::string(f.name) + " rows " + std::to_string(top) + ".." + std::to_string(bottom) +
                             " pass " + std::to_string(pass));
        }
      }
      EXPECT_GT(cache.Hits(), 0u) << f.name;
    }
  }
}

TEST(StrokeCache, FindsOnlyTheSamePathClosureAndWidth) {
  const std::vector<PointD> path = {{1, 2}, {30, 4}, {12, 40}};
  StrokeCache cache;
  cache.Keep(path, true, 5.0, std::make_shared<StrokeEdges>(StrokeEdges{{0, 0, 1, 1}}));
  EXPECT_NE(cache.Find(path, true, 5.0), nullptr);
  EXPECT_EQ(cache.Find(path, false, 5.0), nullptr);
  EXPECT_EQ(cache.Find(path, true, std::nextafter(5.0, 6.0)), nullptr);
  std::vector<PointD> moved = path;
  moved[2].y = std::nextafter(40.0, 41.0);
  EXPECT_EQ(cache.Find(moved, true, 5.0), nullptr);
  EXPECT_EQ(cache.Find(std::span<const PointD>(path).first(2), true, 5.0), nullptr);
  // Kept once however often it is offered.
  cache.Keep(path, true, 5.0, std::make_shared<StrokeEdges>(StrokeEdges{{0, 0, 1, 1}}));
  EXPECT_EQ(cache.Kept(), 1u);
}

TEST(StrokeCache, TheOldestOutlinesGoFirstAndNoneOutgrowsTheBudget) {
  auto path = [](int i) { return std::vector<PointD>{{0, 0}, {static_cast<double>(i), 1}}; };
  const auto edges = std::make_shared<StrokeEdges>(StrokeEdges(100, StrokeEdge{0, 0, 1, 1}));
  StrokeCache cache(10 * 100 * sizeof(StrokeEdge));  // fewer than ten such outlines
  for (int i = 0; i < 50; ++i) cache.Keep(path(i), false, 3.0, edges);
  EXPECT_LT(cache.Kept(), 10u);
  EXPECT_GT(cache.Kept(), 5u);
  EXPECT_NE(cache.Find(path(49), false, 3.0), nullptr);
  EXPECT_EQ(cache.Find(path(0), false, 3.0), nullptr);
  // An outline larger than the whole budget is not kept.
  StrokeCache small(64);
  small.Keep(path(1), false, 3.0, edges);
  EXPECT_EQ(small.Kept(), 0u);
  EXPECT_EQ(small.Find(path(1), false, 3.0), nullptr);
}

TEST(StrokeCache, ThreadsSharingTheCacheGetTheSameRuns) {
  const std::vector<Figure> figures = Figures();
  std::vector<std::vector<ColourRun>> want;
  for (const Figure& f : figures) want.push_back(Runs(f, 0, kH, nullptr));
  StrokeCache cache;
  std::vector<int> wrong(4, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (int round = 0; round < 20; ++round)
        for (std::size_t i = 0; i < figures.size(); ++i) {
          const std::vector<ColourRun> got = Runs(figures[i], 0, kH, &cache);
          if (got.size() != want[i].size() || !std::equal(got.begin(), got.end(), want[i].begin(), SameRun))
            ++wrong[static_cast<std::size_t>(t)];
        }
    });
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < 4; ++t) EXPECT_EQ(wrong[static_cast<std::size_t>(t)], 0) << "thread " << t;
}

}  // namespace
}  // namespace brisol
