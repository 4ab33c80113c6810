// Clamping of parameters into their ranges and the picture border width.
#pragma once

#include "raster/Types.h"

namespace brisol {

// min when x < min (or x is not a number), max when x > max, else x. A bad
// range (min >= max) is reported and x returned unchanged.
double KeepWithinRange(double x, double min, double max);
// The same comparing as unsigned numbers; a bad range is min >= max.
unsigned KeepWithinRange(unsigned x, unsigned min, unsigned max);

// sqrt(width^2 + height^2).
double Diagonal(const SIZE& size);

// The given percentage of the diagonal in whole pixels, at least 1; 3 for a
// percentage outside 0..100.
int BorderFromPercent(double percent, const SIZE& size);

}  // namespace brisol
