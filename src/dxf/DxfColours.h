// The DXF colour index table: 256 colours by DXF colour number, as
// 0x00BBGGRR values. 0 and 7 are black (7 draws black on our white-free
// pictures, not white), 1..6 the primaries, 8 and 9 greys, 10..249 the
// 24 hue families of 10 shades, 250..255 greys.
#pragma once

#include <array>

#include "raster/Types.h"

namespace brisol {

constexpr int ikNumDxfColours = 256;
// The colour number that means "by layer".
constexpr int kDxfColourByLayer = 256;

// The whole table.
const std::array<COLORREF, ikNumDxfColours>& DxfColourTable();
// Entry n of the table; a number outside 0..255 gives the entry of 7.
COLORREF DxfColour(int index);

}  // namespace brisol
