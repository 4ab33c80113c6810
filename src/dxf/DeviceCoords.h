// Conversion of transformed drawing coordinates to device pixels: truncated
// toward zero and kept inside a range no figure routine can overflow with;
// NaN becomes 0.
#pragma once

#include <cmath>

namespace brisol {

constexpr double kDeviceCoordLimit = 67108864.0;  // 2^26 pixels either way

inline int ToDevice(double v) {
  if (!(v == v)) return 0;  // NaN
  if (v > kDeviceCoordLimit) return static_cast<int>(kDeviceCoordLimit);
  if (v < -kDeviceCoordLimit) return -static_cast<int>(kDeviceCoordLimit);
  return static_cast<int>(v);  // truncates toward zero
}

}  // namespace brisol
