// Figures in device coordinates that are not yet whole pixels: what the
// entities hand to a drawing context after their transform. A figure with a
// coordinate that is not finite draws nothing. A figure reaching far beyond
// any picture is cut at a box well outside it instead of having its far
// points pulled in (which would turn its edges into fans and streaks), so
// what shows inside the picture is its true shape. Figures inside the box
// are drawn exactly as their truncated points say.
#pragma once

#include <span>

#include "dxf/Vec.h"

namespace brisol {

class DrawContext;

// Both coordinates (x and y) are finite.
bool IsFinite2D(const CVec& p);

// MoveTo a, LineTo b.
void DrawDeviceLine(DrawContext& dc, const CVec& a, const CVec& b);
// MoveTo the first point, LineTo each following one.
void DrawDevicePolyline(DrawContext& dc, std::span<const CVec> points);
// One closed polygon through the points, filled and outlined.
void DrawDevicePolygon(DrawContext& dc, std::span<const CVec> points);

}  // namespace brisol
