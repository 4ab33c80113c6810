// The aliased scanline filler behind every filled figure. Closed contours are
// given as directed straight edges; a pixel belongs to the figure when its
// centre (x + 0.5, y + 0.5) lies inside by the chosen rule. Rows outside the
// clip box are never visited and crossings are clamped to it, so a figure far
// larger than the picture costs only what it covers of the picture.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "raster/Types.h"

namespace brisol {

enum class FillRule { EvenOdd, NonZero };

// A run of pixels [x0, x1) in one row.
struct Span {
  int x0 = 0;
  int x1 = 0;
};

class ScanlineRasterizer {
 public:
  // Forgets all edges and sets the clip box to [0, width) x [0, height).
  void Reset(int width, int height);

  // One directed edge of a closed contour; the direction counts for the
  // nonzero rule. Edges with a coordinate that is not finite are dropped.
  void AddEdge(double x0, double y0, double x1, double y1);
  // The closed contour through the points.
  void AddPolygon(std::span<const POINT> points);

  bool Empty() const { return m_edges.empty(); }

  // Starts a sweep from the top row down.
  void Start(FillRule rule);
  // The spans of the next row that has any, left to right, disjoint and
  // clipped to the box; false when the figure is done.
  bool NextRow(int& y, std::vector<Span>& spans);

  // Runs a whole sweep, calling fn(y, spans) for every row with pixels.
  template <class Fn>
  void Sweep(FillRule rule, Fn&& fn) {
    Start(rule);
    int y = 0;
    while (NextRow(y, m_rowSpans)) fn(y, static_cast<const std::vector<Span>&>(m_rowSpans));
  }

 private:
  struct Edge {
    double x = 0;     // the crossing with the centre line of the current row
    double dxdy = 0;  // change of x from one row to the next
    int top = 0;      // first row whose centre the edge crosses
    int end = 0;      // one past the last such row
    int dir = 0;      // +1 downwards, -1 upwards
  };
  struct Crossing {
    int x;    // first pixel at or right of the crossing
    int dir;
  };

  int m_width = 0;
  int m_height = 0;
  FillRule m_rule = FillRule::EvenOdd;
  std::vector<Edge> m_edges;
  std::vector<Edge> m_active;
  std::vector<Crossing> m_crossings;
  std::vector<Span> m_rowSpans;
  std::size_t m_next = 0;
  int m_row = 0;
};

}  // namespace brisol
