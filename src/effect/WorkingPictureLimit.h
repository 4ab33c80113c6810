// How large a working picture a drawing may make: the one place that decides
// it, before anything is allocated. The working picture is the original's
// size times the quality level.
#pragma once

#include <string>

#include "raster/Types.h"

namespace brisol {

// The most pixels a working picture may have (a surface's pixel block must
// also stay within kMaxSurfaceBytes).
constexpr long long kMaxWorkingPixels = 700'000'000;

// Why no working picture can be made for an original of this size at this
// level, in words for people ("... the most is 700 megapixels"); empty when
// one can.
std::string WorkingPictureTooLarge(const SIZE& original, int level);

}  // namespace brisol
