// Lines, polylines and polygons of the drawing context.
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "raster/DrawContext.h"
#include "raster/FigureScratch.h"
#include "raster/FigureWriting.h"
#include "raster/Rasterizer.h"
#include "raster/SpanFill.h"
#include "raster/Stroker.h"
#include "raster/ThinLine.h"

namespace brisol {
namespace {

// Half the pen's reach beyond the path, with a pixel to spare.
double PenMargin(const Pen& pen) { return IsWidePen(pen) ? pen.width() / 2.0 + 1.0 : 1.0; }

// Whether the points, grown by the margin on every side, miss the block's
// rows from firstRow on (a recording context keeps nothing above it: a
// figure wholly above is never worked out).
bool MissesBlock(std::span<const POINT> points, double margin, const PixelBlock& block, int firstRow) {
  const PointBounds b(points);
  return b.maxX + margin < 0 || b.maxY + margin < firstRow || b.minX - margin > block.width ||
         b.minY - margin > block.height;
}

// Whether the spans of a filled polygon and of its wide outline can be held
// at once: at most this many, by a generous estimate of both.
bool CanHoldSpans(std::span<const POINT> points, const Pen& pen, const PixelBlock& block) {
  constexpr long long kMaxSpans = 1 << 21;
  long long minY = points[0].y, maxY = minY;
  for (const POINT& p : points) {
    minY = std::min<long long>(minY, p.y);
    maxY = std::max<long long>(maxY, p.y);
  }
  const long long reach = pen.width() / 2 + 2;
  const long long rows = std::min<long long>(maxY + reach, block.height) - std::max<long long>(minY - reach, 0);
  const long long perRow = std::min<long long>(8 * static_cast<long long>(points.size()) + 64, block.width + 1);
  return rows <= 0 || rows * perRow <= kMaxSpans;
}

void StrokePoints(const RunTarget& target, FigureScratch& scratch, std::span<const POINT> points, bool closed,
                  const Pen& pen) {
  scratch.points.clear();
  for (const POINT& p : points) scratch.points.push_back({static_cast<double>(p.x), static_cast<double>(p.y)});
  StrokePath(target, scratch, scratch.points, closed, pen);
}

// How far beyond its points a figure drawn with the pen may reach, generously.
long long BoundsReach(const Pen& pen) { return IsWidePen(pen) ? pen.width() / 2 + 2 : 1; }

// Keeps a figure's spans, a band at a time.
class SpanCollector final : public SpanSink {
 public:
  explicit SpanCollector(std::vector<Span>& spans) : m_spans(spans) {}
  void Spans(const Span* spans, int count) override { m_spans.insert(m_spans.end(), spans, spans + count); }

 private:
  std::vector<Span>& m_spans;
};

// Writes the brush's spans less the pen's, then the pen's, row by row: each
// pixel is written once and each row's memory is visited once.
void FillUnderStroke(const RunTarget& target, const std::vector<Span>& fill, COLORREF brush,
                     const std::vector<Span>& stroke, COLORREF pen) {
  std::size_t i = 0, j = 0;
  while (i < fill.size() || j < stroke.size()) {
    const int y = (j == stroke.size() || (i < fill.size() && fill[i].y < stroke[j].y)) ? fill[i].y : stroke[j].y;
    const std::size_t j0 = j;
    while (j < stroke.size() && stroke[j].y == y) ++j;
    std::size_t k = j0;
    for (; i < fill.size() && fill[i].y == y; ++i) {
      int a = fill[i].x0;
      const int b = fill[i].x1;
      while (k < j && stroke[k].x1 <= a) ++k;
      for (std::size_t m = k; a < b;) {
        if (m < j && stroke[m].x0 < b) {
          if (stroke[m].x0 > a) target.Fill(y, a, stroke[m].x0 - a, brush);
          a = std::max(a, stroke[m].x1);
          ++m;
        } else {
          target.Fill(y, a, b - a, brush);
          a = b;
        }
      }
    }
    for (std::size_t m = j0; m < j; ++m) {
      // The pen's short runs land on lines nothing has brought into the
      // caches: ask for those of a few rows further down in good time.
      if (m + static_cast<std::size_t>(kPrefetchAhead) < stroke.size()) PrefetchRun(target, stroke[m + kPrefetchAhead]);
      target.Fill(y, stroke[m].x0, stroke[m].x1 - stroke[m].x0, pen);
    }
  }
}

}  // namespace

bool DrawContext::LineTo(int x, int y) {
  const POINT from = std::exchange(m_position, POINT{x, y});
  if (!IsValid()) return false;
  if (m_pen.IsNull()) return true;
  const POINT both[2] = {from, {x, y}};
  if (NoteBoundsOnly(both, BoundsReach(m_pen))) return true;
  if (!IsWidePen(m_pen)) {
    DrawThinLine(Target(), from.x, from.y, x, y, SolidRgb(m_pen.colour()));
    return true;
  }
  if (MissesBlock(both, PenMargin(m_pen), m_block, Target().firstRow())) return true;
  const FlushOnExit flush;
  StrokePoints(Target(), TheFigureScratch(), both, false, m_pen);
  return true;
}

bool DrawContext::Polyline(std::span<const POINT> points) {
  if (!IsValid() || points.size() < 2) return false;
  if (m_pen.IsNull()) return true;
  if (NoteBoundsOnly(points, BoundsReach(m_pen))) return true;
  const RunTarget target = Target();
  if (MissesBlock(points, PenMargin(m_pen), m_block, target.firstRow())) return true;
  if (!IsWidePen(m_pen)) {
    for (std::size_t i = 0; i + 1 < points.size(); ++i)
      DrawThinLine(target, points[i].x, points[i].y, points[i + 1].x, points[i + 1].y, SolidRgb(m_pen.colour()));
    return true;
  }
  const FlushOnExit flush;
  StrokePoints(target, TheFigureScratch(), points, false, m_pen);
  return true;
}

bool DrawContext::Polygon(std::span<const POINT> points) {
  if (!IsValid() || points.size() < 2) return false;
  if (NoteBoundsOnly(points, BoundsReach(m_pen))) return true;
  const RunTarget target = Target();
  if (MissesBlock(points, PenMargin(m_pen), m_block, target.firstRow())) return true;
  const FlushOnExit flush;
  FigureScratch& scratch = TheFigureScratch();
  const FillRule rule = m_fillMode == WINDING ? FillRule::NonZero : FillRule::EvenOdd;
  const bool fill = points.size() >= 3 && !m_brush.IsNull();
  if (fill && IsWidePen(m_pen) && CanHoldSpans(points, m_pen, m_block)) {
    // The pen covers part of the fill: work out both, then write each pixel once.
    scratch.ras.Reset(m_block.width, m_block.height, target.firstRow());
    scratch.ras.AddPolygon(points);
    scratch.fillSpans.clear();
    SpanCollector fillCollector(scratch.fillSpans);
    scratch.ras.Sweep(rule, static_cast<SpanSink&>(fillCollector));
    scratch.points.clear();
    for (const POINT& p : points) scratch.points.push_back({static_cast<double>(p.x), static_cast<double>(p.y)});
    scratch.ras.Reset(m_block.width, m_block.height, target.firstRow());
    AddStroke(scratch.ras, scratch.points, true, m_pen.width(), target.strokes);
    scratch.strokeSpans.clear();
    SpanCollector strokeCollector(scratch.strokeSpans);
    scratch.ras.Sweep(FillRule::NonZero, static_cast<SpanSink&>(strokeCollector));
    FillUnderStroke(target, scratch.fillSpans, SolidRgb(m_brush.colour()), scratch.strokeSpans,
                    SolidRgb(m_pen.colour()));
    return true;
  }
  if (fill) {
    scratch.ras.Reset(m_block.width, m_block.height, target.firstRow());
    scratch.ras.AddPolygon(points);
    FillFigure(target, scratch.ras, rule, SolidRgb(m_brush.colour()));
  }
  if (m_pen.IsNull()) return true;
  if (!IsWidePen(m_pen)) {
    const std::size_t n = points.size();
    for (std::size_t i = 0; i < n; ++i) {
      const POINT& a = points[i];
      const POINT& b = points[(i + 1 == n) ? 0 : i + 1];
      DrawThinLine(target, a.x, a.y, b.x, b.y, SolidRgb(m_pen.colour()));
    }
    return true;
  }
  StrokePoints(target, scratch, points, true, m_pen);
  return true;
}

}  // namespace brisol
