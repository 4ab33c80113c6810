#include "raster/EllipseSpans.h"

#include <cmath>

namespace brisol {

bool EllipseRow(const EllipseBox& box, long long y, long long& x0, long long& x1) {
  if (box.IsEmpty()) return false;
  // Work in doubled coordinates relative to the centre, where pixel centres
  // are whole numbers: row y sits at d = 2y + 1 - sumY, column x at
  // k = 2x + 1 - sumX, and the ellipse is (k / sizeX)^2 + (d / sizeY)^2 <= 1.
  const double d = static_cast<double>(2 * y + 1 - box.sumY);
  const double sy = static_cast<double>(box.sizeY);
  const double f = 1.0 - (d / sy) * (d / sy);
  if (f < 0.0) return false;
  // A hair of tolerance keeps centres lying exactly on the curve inside.
  const double half = static_cast<double>(box.sizeX) * std::sqrt(f) + 1e-9;
  long long k = static_cast<long long>(half);
  // k must have the parity of the centres of this box's columns.
  const long long parity = (box.sumX + 1) & 1;
  if (((k - parity) & 1) != 0) --k;
  if (k < 0) return false;
  x0 = (box.sumX - 1 - k) / 2;
  x1 = (box.sumX - 1 + k) / 2;
  return true;
}

}  // namespace brisol
