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

// A run of pixels [x0, x1) in row y.
struct Span {
  int y = 0;
  int x0 = 0;
  int x1 = 0;
};

// Receives the spans of a figure a band of rows at a time, from the top;
// within a row they come left to right, disjoint and clipped.
class SpanSink {
 public:
  virtual void Spans(const Span* spans, int count) = 0;

 protected:
  ~SpanSink() = default;
};

class ScanlineRasterizer {
 public:
  // Forgets all edges and sets the clip box to [0, width) x [top, height).
  // Rows above top are never visited: a figure is picked up at its first
  // row inside the box with the crossings it would have had there had it
  // been swept from its own top, so a band of a picture costs only its rows.
  void Reset(int width, int height, int top = 0);

  // One directed edge of a closed contour; the direction counts for the
  // nonzero rule. Edges with a coordinate that is not finite are dropped.
  void AddEdge(double x0, double y0, double x1, double y1);
  // The closed contour through the points.
  void AddPolygon(std::span<const POINT> points);

  bool Empty() const { return m_edges.empty(); }

  // Fills the figure: hands every row that has pixels to the sink.
  void Sweep(FillRule rule, SpanSink& sink);

  // The same with a callable fn(const Span& span) for every span.
  template <class Fn>
  void Sweep(FillRule rule, Fn&& fn) {
    struct Adaptor final : SpanSink {
      explicit Adaptor(Fn& f) : fn(f) {}
      void Spans(const Span* spans, int count) override {
        for (int i = 0; i < count; ++i) fn(spans[i]);
      }
      Fn& fn;
    } adaptor(fn);
    Sweep(rule, static_cast<SpanSink&>(adaptor));
  }

 private:
  // An edge crossing the centre lines of rows [top, end). Edges between
  // whole-number corners step exactly in integers, so that centres lying on
  // an edge are decided alike wherever they are; the others step in floating
  // point.
  struct Edge {
    int top = 0;  // first row whose centre the edge crosses
    int end = 0;  // one past the last such row
    int dir = 0;  // +1 downwards, -1 upwards
    bool exact = false;
    // exact: the crossing pixel of the row reached is q; from one row to the
    // next q grows by step and, when rem (kept in [0, denominator)) runs
    // below zero by taking carry away, by one more.
    long long q = 0;
    long long rem = 0;
    long long step = 0;
    long long carry = 0;
    long long denominator = 0;
    // not exact: the crossing x of the row reached and its change per row.
    double x = 0;
    double dxdy = 0;
  };

  void AddEdgeExact(long long x0, long long y0, long long x1, long long y1);
  // Puts the edges in order of their first row.
  void SortEdgesByTop();

  int m_width = 0;
  int m_height = 0;
  int m_top = 0;
  std::vector<Edge> m_edges;
  std::vector<Edge> m_sorted;  // scratch of SortEdgesByTop
  std::vector<Edge> m_active;
  // Adds the spans of one row from its crossings, sorted, at out; returns
  // the new end.
  static Span* RowSpans(FillRule rule, int y, const int* crossings, int n, Span* out);
  // The same for a row of many crossings, in any order, in time linear in
  // their number: a row spanning at most kCellsPerCrossing pixels per
  // crossing is bucketed by pixel, a sparser one sorted.
  Span* BusyRowSpans(FillRule rule, int y, int* crossings, int n, Span* out);
  static constexpr long long kCellsPerCrossing = 8;

  // Per band of rows: crossings per row, their start offsets, and the
  // crossings themselves as (pixel << 1 | downwards).
  std::vector<int> m_count;
  std::vector<int> m_offset;
  std::vector<int> m_crossings;
  std::vector<Span> m_spans;
  // Changes of winding per pixel of a busy row.
  std::vector<int> m_cells;
};

}  // namespace brisol
