// Whether a drawing can be a shape of an effect: the effect draws a shape's
// LINE, POLYLINE and CIRCLE entities, filled and outlined, where they are on
// layers that are on (a layer that is off or frozen is not drawn). A drawing
// none of whose such entities would leave a mark is refused when the effect
// loads it, each case with its own words; dxf-info tells the same.
#pragma once

#include "dxf/EntList.h"

namespace brisol {

enum class ShapeVerdict {
  kUsable,
  kEmpty,             // no entities at all
  kNoUsefulEntities,  // no LINE, POLYLINE or CIRCLE
  kAllHidden,         // every one of them is on a layer that is off or frozen
  kNoSize,            // none of them has a size (a circle of radius 0, a line or polyline of one point)
};

// Extents smaller than this across (in drawing units) draw nothing at any
// size a shape is drawn (at most 60 % of a working picture's width per
// unit: far below a pixel's 256th part).
constexpr double kLeastDrawnExtent = 1e-9;

ShapeVerdict JudgeShape(const CEntList& drawing);

// The cause in words, to follow "draws nothing: " or to stand alone: "its
// LINE, POLYLINE and CIRCLE entities have no size". Empty for kUsable.
const char* ShapeVerdictText(ShapeVerdict verdict);

}  // namespace brisol
