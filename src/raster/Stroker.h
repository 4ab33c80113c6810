// Wide pens: the outline of a stroke of some width along a path, with round
// joins and round ends, handed to the scanline filler as closed contours to be
// filled by the nonzero rule.
#pragma once

#include <span>

#include "raster/Rasterizer.h"

namespace brisol {

struct PointD {
  double x = 0;
  double y = 0;
};

// Adds the stroke of the path through the points (closed: back to the first
// point as well) to the rasterizer. Repeated points are ignored; a path
// without two distinct points adds nothing.
void AddStroke(ScanlineRasterizer& ras, std::span<const PointD> points, bool closed, double width);

class StrokeCache;
// The same, taking the outline from the cache when it is kept there and
// keeping it there otherwise (no cache: worked out as above).
void AddStroke(ScanlineRasterizer& ras, std::span<const PointD> points, bool closed, double width, StrokeCache* cache);

}  // namespace brisol
