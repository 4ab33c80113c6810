// One-pixel lines: the pixels nearest to the ideal line, one per step along
// the longer axis, the end point left out (so that joined lines do not draw
// their shared point twice). Clipped to the block without walking the part
// that lies outside it.
#pragma once

#include "raster/RunTarget.h"
#include "raster/Types.h"

namespace brisol {

void DrawThinLine(const RunTarget& target, long long x0, long long y0, long long x1, long long y1, COLORREF colour);

}  // namespace brisol
