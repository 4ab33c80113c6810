#include "effect/WorkingPictureLimit.h"

#include <cmath>

#include "logger/Format.h"
#include "raster/Dadc.h"

namespace brisol {

std::string WorkingPictureTooLarge(const SIZE& original, int level, bool banded) {
  const long long most = banded ? kMaxBandedWorkingPixels : kMaxWorkingPixels;
  const long long width = static_cast<long long>(original.cx) * level;
  const long long height = static_cast<long long>(original.cy) * level;
  // In long double: the sides of absurd sizes multiply beyond 64 bits.
  const long double pixels = static_cast<long double>(width) * static_cast<long double>(height);
  if (pixels <= most) {
    const long long rowBytes = (width * 3 + 3) / 4 * 4;
    if (banded || rowBytes * height <= kMaxSurfaceBytes) return {};
  }
  return Format(
      "the picture is too large: %d x %d pixels at quality %d need a working picture of %.0Lf megapixels; the most "
      "is %lld megapixels",
      original.cx, original.cy, level, std::ceil(pixels / 1e6L), most / 1'000'000);
}

std::string NotEnoughMemoryText(const SIZE& work, long long mostPixels) {
  return Format("not enough memory for the working picture of %d x %d pixels (the most is %lld megapixels)", work.cx,
                work.cy, mostPixels / 1'000'000);
}

}  // namespace brisol
