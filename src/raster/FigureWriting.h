// Writing figures' pixels: the pieces shared by the figure operations of the
// drawing context. Private to the drawing backend.
#pragma once

#include <algorithm>
#include <span>

#include "raster/FigureScratch.h"
#include "raster/GdiObjects.h"
#include "raster/PixelBlock.h"
#include "raster/Rasterizer.h"
#include "raster/RunTarget.h"
#include "raster/SpanFill.h"
#include "raster/Stroker.h"
#include "raster/Types.h"

namespace brisol {

// The colour without the byte above blue.
constexpr COLORREF SolidRgb(COLORREF c) { return c & 0xFFFFFFu; }
// Pens of two pixels or more draw strokes; thinner ones draw one-pixel lines.
inline bool IsWidePen(const Pen& pen) { return !pen.IsNull() && pen.width() >= 2; }

// The smallest box holding a figure's points (which must not be empty).
struct PointBounds {
  long long minX, minY, maxX, maxY;
  explicit PointBounds(std::span<const POINT> points)
      : minX(points[0].x), minY(points[0].y), maxX(points[0].x), maxY(points[0].y) {
    for (const POINT& p : points) {
      minX = std::min<long long>(minX, p.x);
      maxX = std::max<long long>(maxX, p.x);
      minY = std::min<long long>(minY, p.y);
      maxY = std::max<long long>(maxY, p.y);
    }
  }
};

// Asks for the cache lines at both ends of a run ahead of writing it. Short
// runs (outlines, the ends of rows) would otherwise each wait for memory.
inline void PrefetchRun(const RunTarget& target, const Span& s) {
  if (target.Records()) return;
  __builtin_prefetch(target.block.Pixel(s.x0, s.y), 1, 3);
  __builtin_prefetch(target.block.Pixel(s.x1 - 1, s.y) + 2, 1, 3);
}

// How many runs ahead to ask.
constexpr int kPrefetchAhead = 12;

// Fills the rasterizer's figure in one colour.
void FillFigure(const RunTarget& target, ScanlineRasterizer& ras, FillRule rule, COLORREF colour);

// Fills the inclusive pixel range [x0, x1] of row y, clipped to the block.
inline void FillRange(const RunTarget& target, long long y, long long x0, long long x1, COLORREF colour) {
  if (y < 0 || y >= target.height()) return;
  x0 = std::max<long long>(x0, 0);
  x1 = std::min<long long>(x1, target.width() - 1);
  if (x1 < x0) return;
  target.Fill(static_cast<int>(y), static_cast<int>(x0), static_cast<int>(x1 - x0 + 1), colour);
}

// Strokes the path with the (wide) pen.
void StrokePath(const RunTarget& target, FigureScratch& scratch, std::span<const PointD> points, bool closed,
                const Pen& pen);

}  // namespace brisol
