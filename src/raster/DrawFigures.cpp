// Lines, polylines, polygons and ellipses of the drawing context.
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "raster/DrawContext.h"
#include "raster/EllipseSpans.h"
#include "raster/FigureScratch.h"
#include "raster/Rasterizer.h"
#include "raster/SpanFill.h"
#include "raster/Stroker.h"
#include "raster/ThinLine.h"

namespace brisol {
namespace {

constexpr COLORREF Rgb(COLORREF c) { return c & 0xFFFFFFu; }
bool IsWide(const Pen& pen) { return !pen.IsNull() && pen.width() >= 2; }

// Half the pen's reach beyond the path, with a pixel to spare.
double PenMargin(const Pen& pen) { return IsWide(pen) ? pen.width() / 2.0 + 1.0 : 1.0; }

// Whether the points, grown by the margin on every side, miss the block.
bool MissesBlock(std::span<const POINT> points, double margin, const PixelBlock& block) {
  long long minX = points[0].x, maxX = minX, minY = points[0].y, maxY = minY;
  for (const POINT& p : points) {
    minX = std::min<long long>(minX, p.x);
    maxX = std::max<long long>(maxX, p.x);
    minY = std::min<long long>(minY, p.y);
    maxY = std::max<long long>(maxY, p.y);
  }
  return maxX + margin < 0 || maxY + margin < 0 || minX - margin > block.width || minY - margin > block.height;
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

// Asks for the cache lines at both ends of a run ahead of writing it. Short
// runs (outlines, the ends of rows) would otherwise each wait for memory.
inline void PrefetchRun(const PixelBlock& block, const Span& s) {
  __builtin_prefetch(block.Pixel(s.x0, s.y), 1, 3);
  __builtin_prefetch(block.Pixel(s.x1 - 1, s.y) + 2, 1, 3);
}

// How many runs ahead to ask.
constexpr int kPrefetchAhead = 12;

class SolidSpans final : public SpanSink {
 public:
  SolidSpans(const PixelBlock& block, SpanFiller& filler, COLORREF colour)
      : m_block(block), m_filler(filler), m_colour(colour) {}
  void Spans(const Span* spans, int count) override {
    for (int i = 0; i < count; ++i) {
      if (i + kPrefetchAhead < count) PrefetchRun(m_block, spans[i + kPrefetchAhead]);
      const Span& s = spans[i];
      m_filler.Fill(m_block.Pixel(s.x0, s.y), s.x1 - s.x0, m_colour);
    }
  }

 private:
  const PixelBlock& m_block;
  SpanFiller& m_filler;
  COLORREF m_colour;
};

void FillSpans(const PixelBlock& block, ScanlineRasterizer& ras, FillRule rule, SpanFiller& filler,
               COLORREF colour) {
  SolidSpans sink(block, filler, colour);
  ras.Sweep(rule, static_cast<SpanSink&>(sink));
}

// The inclusive pixel range [x0, x1] of row y, clipped to the block.
void FillRange(const PixelBlock& block, SpanFiller& filler, long long y, long long x0, long long x1,
               COLORREF colour) {
  if (y < 0 || y >= block.height) return;
  x0 = std::max<long long>(x0, 0);
  x1 = std::min<long long>(x1, block.width - 1);
  if (x1 < x0) return;
  filler.Fill(block.Pixel(static_cast<int>(x0), static_cast<int>(y)), static_cast<int>(x1 - x0 + 1), colour);
}

void StrokePath(const PixelBlock& block, FigureScratch& scratch, std::span<const PointD> points, bool closed,
                const Pen& pen) {
  scratch.ras.Reset(block.width, block.height);
  AddStroke(scratch.ras, points, closed, pen.width());
  FillSpans(block, scratch.ras, FillRule::NonZero, scratch.filler, Rgb(pen.colour()));
}

void StrokePoints(const PixelBlock& block, FigureScratch& scratch, std::span<const POINT> points, bool closed,
                  const Pen& pen) {
  scratch.points.clear();
  for (const POINT& p : points) scratch.points.push_back({static_cast<double>(p.x), static_cast<double>(p.y)});
  StrokePath(block, scratch, scratch.points, closed, pen);
}

// Writes the brush's spans less the pen's, then the pen's, row by row: each
// pixel is written once and each row's memory is visited once.
void FillUnderStroke(const PixelBlock& block, SpanFiller& filler, const std::vector<Span>& fill, COLORREF brush,
                     const std::vector<Span>& stroke, COLORREF pen) {
  std::size_t i = 0, j = 0;
  auto pixel = [&block](int y, int x) { return block.Pixel(x, y); };
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
          if (stroke[m].x0 > a) filler.Fill(pixel(y, a), stroke[m].x0 - a, brush);
          a = std::max(a, stroke[m].x1);
          ++m;
        } else {
          filler.Fill(pixel(y, a), b - a, brush);
          a = b;
        }
      }
    }
    for (std::size_t m = j0; m < j; ++m) {
      // The pen's short runs land on lines nothing has brought into the
      // caches: ask for those of a few rows further down in good time.
      if (m + static_cast<std::size_t>(kPrefetchAhead) < stroke.size()) PrefetchRun(block, stroke[m + kPrefetchAhead]);
      filler.Fill(pixel(y, stroke[m].x0), stroke[m].x1 - stroke[m].x0, pen);
    }
  }
}

}  // namespace

bool DrawContext::LineTo(int x, int y) {
  const POINT from = std::exchange(m_position, POINT{x, y});
  if (!IsValid()) return false;
  if (m_pen.IsNull()) return true;
  if (!IsWide(m_pen)) {
    DrawThinLine(m_block, from.x, from.y, x, y, Rgb(m_pen.colour()));
    return true;
  }
  const POINT both[2] = {from, {x, y}};
  if (MissesBlock(both, PenMargin(m_pen), m_block)) return true;
  const FlushOnExit flush;
  StrokePoints(m_block, TheFigureScratch(), both, false, m_pen);
  return true;
}

bool DrawContext::Polyline(std::span<const POINT> points) {
  if (!IsValid() || points.size() < 2) return false;
  if (m_pen.IsNull() || MissesBlock(points, PenMargin(m_pen), m_block)) return true;
  if (!IsWide(m_pen)) {
    for (std::size_t i = 0; i + 1 < points.size(); ++i)
      DrawThinLine(m_block, points[i].x, points[i].y, points[i + 1].x, points[i + 1].y, Rgb(m_pen.colour()));
    return true;
  }
  const FlushOnExit flush;
  StrokePoints(m_block, TheFigureScratch(), points, false, m_pen);
  return true;
}

bool DrawContext::Polygon(std::span<const POINT> points) {
  if (!IsValid() || points.size() < 2) return false;
  if (MissesBlock(points, PenMargin(m_pen), m_block)) return true;
  const FlushOnExit flush;
  FigureScratch& scratch = TheFigureScratch();
  const FillRule rule = m_fillMode == WINDING ? FillRule::NonZero : FillRule::EvenOdd;
  const bool fill = points.size() >= 3 && !m_brush.IsNull();
  if (fill && IsWide(m_pen) && CanHoldSpans(points, m_pen, m_block)) {
    // The pen covers part of the fill: work out both, then write each pixel once.
    scratch.ras.Reset(m_block.width, m_block.height);
    scratch.ras.AddPolygon(points);
    scratch.fillSpans.clear();
    scratch.ras.Sweep(rule, [&scratch](const Span& s) { scratch.fillSpans.push_back(s); });
    scratch.points.clear();
    for (const POINT& p : points) scratch.points.push_back({static_cast<double>(p.x), static_cast<double>(p.y)});
    scratch.ras.Reset(m_block.width, m_block.height);
    AddStroke(scratch.ras, scratch.points, true, m_pen.width());
    scratch.strokeSpans.clear();
    scratch.ras.Sweep(FillRule::NonZero, [&scratch](const Span& s) { scratch.strokeSpans.push_back(s); });
    FillUnderStroke(m_block, scratch.filler, scratch.fillSpans, Rgb(m_brush.colour()), scratch.strokeSpans,
                    Rgb(m_pen.colour()));
    return true;
  }
  if (fill) {
    scratch.ras.Reset(m_block.width, m_block.height);
    scratch.ras.AddPolygon(points);
    FillSpans(m_block, scratch.ras, rule, scratch.filler, Rgb(m_brush.colour()));
  }
  if (m_pen.IsNull()) return true;
  if (!IsWide(m_pen)) {
    const std::size_t n = points.size();
    for (std::size_t i = 0; i < n; ++i) {
      const POINT& a = points[i];
      const POINT& b = points[(i + 1 == n) ? 0 : i + 1];
      DrawThinLine(m_block, a.x, a.y, b.x, b.y, Rgb(m_pen.colour()));
    }
    return true;
  }
  StrokePoints(m_block, scratch, points, true, m_pen);
  return true;
}

bool DrawContext::Ellipse(int left, int top, int right, int bottom) {
  if (!IsValid()) return false;
  long long l = left, t = top, r = right, b = bottom;
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  const EllipseBox box = EllipseBox::FromRect(l, t, r, b);
  if (box.IsEmpty()) return true;
  const long long reach = IsWide(m_pen) ? m_pen.width() / 2 + 1 : 0;
  if (r + reach < 0 || b + reach < 0 || l - reach > m_block.width || t - reach > m_block.height) return true;

  const FlushOnExit flush;
  FigureScratch& scratch = TheFigureScratch();
  SpanFiller& filler = scratch.filler;
  const bool fill = !m_brush.IsNull();
  const COLORREF brush = Rgb(m_brush.colour());
  const COLORREF pen = Rgb(m_pen.colour());
  const long long firstRow = std::max<long long>(0, t - reach - 1);
  const long long endRow = std::min<long long>(m_block.height, b + reach + 1);

  if (m_pen.IsNull()) {
    if (!fill) return true;
    long long x0, x1;
    for (long long y = firstRow; y < endRow; ++y)
      if (EllipseRow(box, y, x0, x1)) FillRange(m_block, filler, y, x0, x1, brush);
    return true;
  }

  if (!IsWide(m_pen)) {
    // The outline is every pixel of the ellipse with a neighbour above,
    // below, left or right outside it; the brush fills the rest.
    struct Row {
      bool any = false;
      long long x0 = 0, x1 = 0;
    };
    auto rowOf = [&box](long long y) {
      Row row;
      row.any = EllipseRow(box, y, row.x0, row.x1);
      return row;
    };
    Row above = rowOf(firstRow - 1), here = rowOf(firstRow);
    for (long long y = firstRow; y < endRow; ++y) {
      const Row below = rowOf(y + 1);
      if (here.any) {
        long long i0 = here.x0 + 1, i1 = here.x1 - 1;
        if (above.any && below.any) {
          i0 = std::max({i0, above.x0, below.x0});
          i1 = std::min({i1, above.x1, below.x1});
        } else {
          i1 = i0 - 1;
        }
        if (i0 <= i1) {
          if (fill) FillRange(m_block, filler, y, i0, i1, brush);
          FillRange(m_block, filler, y, here.x0, i0 - 1, pen);
          FillRange(m_block, filler, y, i1 + 1, here.x1, pen);
        } else {
          FillRange(m_block, filler, y, here.x0, here.x1, pen);
        }
      }
      above = here;
      here = below;
    }
    return true;
  }

  const long long w = m_pen.width();
  if (box.sizeX == box.sizeY) {
    // A circle: the pen covers the ring between the circles w/2 inside and
    // w/2 outside the boundary, which rows give exactly.
    const EllipseBox outer = box.Grown(w);
    const EllipseBox inner = box.Grown(-w);
    for (long long y = firstRow; y < endRow; ++y) {
      long long o0, o1, i0, i1;
      if (!EllipseRow(outer, y, o0, o1)) continue;
      // The ring's ends a few rows down lie close to this row's ends.
      if (const long long ahead = y + 4; ahead < m_block.height) {
        const int a = static_cast<int>(std::clamp<long long>(o0, 0, m_block.width - 1));
        const int b = static_cast<int>(std::clamp<long long>(o1, 0, m_block.width - 1));
        __builtin_prefetch(m_block.Pixel(a, static_cast<int>(ahead)), 1, 3);
        __builtin_prefetch(m_block.Pixel(b, static_cast<int>(ahead)), 1, 3);
      }
      if (EllipseRow(inner, y, i0, i1)) {
        if (fill) FillRange(m_block, filler, y, i0, i1, brush);
        FillRange(m_block, filler, y, o0, i0 - 1, pen);
        FillRange(m_block, filler, y, i1 + 1, o1, pen);
      } else {
        FillRange(m_block, filler, y, o0, o1, pen);
      }
    }
    return true;
  }

  // Any other ellipse: fill its rows, then stroke a polygon that follows it.
  if (fill) {
    long long x0, x1;
    for (long long y = firstRow; y < endRow; ++y)
      if (EllipseRow(box, y, x0, x1)) FillRange(m_block, filler, y, x0, x1, brush);
  }
  const double cx = box.sumX / 2.0, cy = box.sumY / 2.0;
  const double rx = box.sizeX / 2.0, ry = box.sizeY / 2.0;
  // Enough vertices that no chord strays more than an eighth of a pixel.
  const double ra = (rx + ry) / 2.0;
  const double step = 2.0 * std::acos(ra / (ra + 0.125));
  const int n = static_cast<int>(std::clamp(std::ceil(2.0 * M_PI / step), 8.0, 8192.0));
  scratch.points.clear();
  for (int i = 0; i < n; ++i) {
    const double a = 2.0 * M_PI * i / n;
    scratch.points.push_back({cx + rx * std::cos(a), cy + ry * std::sin(a)});
  }
  StrokePath(m_block, scratch, scratch.points, true, m_pen);
  return true;
}

}  // namespace brisol
