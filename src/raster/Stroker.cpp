#include "raster/Stroker.h"

#include <agg_basics.h>
#include <agg_conv_stroke.h>

#include <algorithm>
#include <memory>

#include "logger/Outcome.h"
#include "raster/StrokeCache.h"
#include "raster/ThreadScratch.h"

namespace brisol {
namespace {

// A path over borrowed points, in the form the geometry converters read.
class PointPath {
 public:
  void Set(std::span<const PointD> points, bool closed) {
    m_points = points;
    m_closed = closed;
    m_index = 0;
  }
  void rewind(unsigned) { m_index = 0; }
  unsigned vertex(double* x, double* y) {
    if (m_index < m_points.size()) {
      *x = m_points[m_index].x;
      *y = m_points[m_index].y;
      return (m_index++ == 0) ? agg::path_cmd_move_to : agg::path_cmd_line_to;
    }
    if (m_closed && m_index == m_points.size()) {
      ++m_index;
      return static_cast<unsigned>(agg::path_cmd_end_poly) | static_cast<unsigned>(agg::path_flags_close);
    }
    return agg::path_cmd_stop;
  }

 private:
  std::span<const PointD> m_points;
  std::size_t m_index = 0;
  bool m_closed = false;
};

// The stroke generator keeps its buffers between calls on each thread.
struct StrokeMachine {
  PointPath path;
  agg::conv_stroke<PointPath> stroke{path};
  StrokeMachine() {
    stroke.line_join(agg::round_join);
    stroke.line_cap(agg::round_cap);
    stroke.inner_join(agg::inner_round);
  }
};

// Hands the edges of the stroke's outline, in order, to edge(x0, y0, x1, y1).
template <class EdgeFn>
void StrokeOutline(std::span<const PointD> points, bool closed, double width, EdgeFn&& edge) {
  static ThreadScratch<StrokeMachine> machines;
  StrokeMachine& machine = machines.Get();
  machine.path.Set(points, closed);
  machine.stroke.width(width);
  // Round parts get about 2 pi sqrt(scale * width) vertices; keep absurd
  // widths from producing millions of them.
  machine.stroke.approximation_scale(std::min(1.0, 2.0e5 / width));
  machine.stroke.rewind(0);

  double x = 0, y = 0, startX = 0, startY = 0, lastX = 0, lastY = 0;
  bool open = false;
  auto closeContour = [&] {
    if (open) edge(lastX, lastY, startX, startY);
    open = false;
  };
  for (;;) {
    const unsigned cmd = machine.stroke.vertex(&x, &y);
    if (agg::is_stop(cmd)) break;
    if (agg::is_move_to(cmd)) {
      closeContour();
      startX = lastX = x;
      startY = lastY = y;
      open = true;
    } else if (agg::is_vertex(cmd)) {
      if (!open) {
        startX = lastX = x;
        startY = lastY = y;
        open = true;
        continue;
      }
      edge(lastX, lastY, x, y);
      lastX = x;
      lastY = y;
    } else if (agg::is_end_poly(cmd)) {
      closeContour();
    }
  }
  closeContour();
  machine.path.Set({}, false);
}

}  // namespace

void AddStroke(ScanlineRasterizer& ras, std::span<const PointD> points, bool closed, double width) {
  if (points.size() < 2 || !(width > 0)) return;
  StrokeOutline(points, closed, width,
                [&ras](double x0, double y0, double x1, double y1) { ras.AddEdge(x0, y0, x1, y1); });
}

void AddStroke(ScanlineRasterizer& ras, std::span<const PointD> points, bool closed, double width, StrokeCache* cache) {
  if (cache == nullptr) return AddStroke(ras, points, closed, width);
  if (points.size() < 2 || !(width > 0)) return;
  std::shared_ptr<const StrokeEdges> edges = cache->Find(points, closed, width);
  if (!edges) {
    auto made = TryAllocate("an outline", [&] {
      auto outline = std::make_shared<StrokeEdges>();
      StrokeOutline(points, closed, width, [&outline](double x0, double y0, double x1, double y1) {
        outline->push_back({x0, y0, x1, y1});
      });
      return outline;
    });
    // No memory to keep it: worked out straight into the rasterizer.
    if (!made) return AddStroke(ras, points, closed, width);
    edges = std::move(*made);
    cache->Keep(points, closed, width, edges);
  }
  // The same edges in the same order as when worked out here.
  for (const StrokeEdge& e : *edges) ras.AddEdge(e.x0, e.y0, e.x1, e.y1);
}

}  // namespace brisol
