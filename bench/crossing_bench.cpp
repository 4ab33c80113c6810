// Drawing figures whose rows are crossed by very many edges: a polygon through
// thousands of random points, filled by the alternate rule and outlined with a
// wide pen, as the effect draws a closed shape; and a shape of thousands of
// separate wide lines. The crossings drawn per second should stay flat as
// the crossings per row grow.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "CrossingShapes.h"
#include "raster/Dadc.h"

namespace brisol {
namespace {

// The polygon scaled to size pixels around the centre of the picture.
std::vector<POINT> Scaled(const std::vector<bench::UnitPoint>& unit, int size, int cx, int cy) {
  std::vector<POINT> points;
  points.reserve(unit.size());
  for (const bench::UnitPoint& p : unit)
    points.push_back({cx + static_cast<int>(p.x * size), cy + static_cast<int>(p.y * size)});
  return points;
}

// The rows the polygon's edges cross, summed: the crossings a scanline
// filler must visit.
double Crossings(const std::vector<POINT>& points) {
  double total = 0;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const POINT& a = points[i];
    const POINT& b = points[(i + 1) % points.size()];
    total += std::abs(b.y - a.y);
  }
  return total;
}

// Draws the polygon of range(0) vertices at range(1) pixels with the pen
// over and over: the benchmark's body.
void DrawCrossingPolygon(benchmark::State& state, const Pen& pen) {
  const int n = static_cast<int>(state.range(0));
  const int size = static_cast<int>(state.range(1));
  const int side = size + 64;
  CDADC surface(SIZE{side, side}, RGB(255, 255, 255));
  if (!surface.IsValid()) {
    state.SkipWithError("no memory for the surface");
    return;
  }
  DrawContext& dc = surface.GetDC();
  const std::vector<POINT> points = Scaled(bench::CrossingPolygon(n), size, side / 2, side / 2);
  dc.SelectBrush(Brush::Solid(RGB(200, 40, 40)));
  dc.SelectPen(pen);
  for (auto _ : state) {
    dc.Polygon(points);
    benchmark::ClobberMemory();
  }
  const double crossings = Crossings(points);
  state.counters["crossings_per_row"] = crossings / size;
  state.counters["crossings"] = benchmark::Counter(crossings, benchmark::Counter::kIsIterationInvariantRate);
}

// Filled and outlined with a 13-pixel pen, as the default line width gives
// on a 6000-pixel-wide picture.
void BM_CrossingPolygon(benchmark::State& state) { DrawCrossingPolygon(state, Pen::Solid(13, RGB(0, 0, 90))); }
BENCHMARK(BM_CrossingPolygon)
    ->ArgsProduct({{250, 500, 1000, 2000, 3535}, {330}})
    ->Args({3535, 66})
    ->Args({3535, 1000})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The same polygon filled without an outline.
void BM_CrossingPolygonFillOnly(benchmark::State& state) { DrawCrossingPolygon(state, Pen::Null()); }
BENCHMARK(BM_CrossingPolygonFillOnly)
    ->ArgsProduct({{250, 1000, 3535}, {330}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// range(0) separate lines between random points of a size-pixel square, each
// drawn with the 13-pixel pen: a shape of hatching.
void BM_ManyWideLines(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const int size = 330;
  const int side = size + 64;
  CDADC surface(SIZE{side, side}, RGB(255, 255, 255));
  if (!surface.IsValid()) {
    state.SkipWithError("no memory for the surface");
    return;
  }
  DrawContext& dc = surface.GetDC();
  const std::vector<POINT> ends = Scaled(bench::CrossingPolygon(2 * n, 11), size, side / 2, side / 2);
  dc.SelectPen(Pen::Solid(13, RGB(0, 0, 90)));
  for (auto _ : state) {
    for (std::size_t i = 0; i + 1 < ends.size(); i += 2) {
      dc.MoveTo(ends[i].x, ends[i].y);
      dc.LineTo(ends[i + 1].x, ends[i + 1].y);
    }
    benchmark::ClobberMemory();
  }
  state.counters["lines"] = n;
}
BENCHMARK(BM_ManyWideLines)->Arg(2302)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace brisol
