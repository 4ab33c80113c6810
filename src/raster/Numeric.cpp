#include "raster/Numeric.h"

#include <cmath>

#include "logger/Alerts.h"

namespace brisol {

double KeepWithinRange(double x, double min, double max) {
  if (min >= max) {
    AlertBox("KeepWithinRange(double) error: (min=%6.3f, max=%6.3f)\n", min, max);
    return x;
  }
  if (x < min || std::isnan(x)) return min;
  if (x > max) return max;
  return x;
}

unsigned KeepWithinRange(unsigned x, unsigned min, unsigned max) {
  if (!(min < max)) {
    AlertBox("KeepWithinRange(unsigned) error: (min=%u, max=%u)\n", min, max);
    return x;
  }
  if (x < min) return min;
  if (x > max) return max;
  return x;
}

double Diagonal(const SIZE& size) {
  const double w = size.cx;
  const double h = size.cy;
  return std::sqrt(w * w + h * h);
}

int BorderFromPercent(double percent, const SIZE& size) {
  if (percent < 0.0 || percent > 100.0) return 3;
  const int border = static_cast<int>(percent * Diagonal(size) * 0.01);
  return border == 0 ? 1 : border;
}

}  // namespace brisol
