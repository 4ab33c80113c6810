// How large a working picture a drawing may make: the one place that decides
// it, before anything is allocated. The working picture is the original's
// size times the quality level.
#pragma once

#include <string>

#include "raster/Types.h"

namespace brisol {

// The most pixels a working picture may have when it is made whole (the
// reference drawing; its pixel block must also stay within
// kMaxSurfaceBytes), and when it is drawn in bands, a few rows at a time.
constexpr long long kMaxWorkingPixels = 700'000'000;
constexpr long long kMaxBandedWorkingPixels = 1'600'000'000;

// Why no working picture can be made for an original of this size at this
// level, in words for people ("... the most is 700 megapixels"); empty when
// one can.
std::string WorkingPictureTooLarge(const SIZE& original, int level, bool banded);

// The words for a drawing that found no memory for its working picture of
// this size, naming the ceiling.
std::string NotEnoughMemoryText(const SIZE& work, long long mostPixels);

}  // namespace brisol
