#include "raster/ThinLine.h"

#include <algorithm>
#include <cstdint>

#include "raster/FigureScratch.h"

namespace brisol {
namespace {

using Wide = __int128;

Wide FloorDiv(Wide a, Wide b) {  // b > 0
  Wide q = a / b;
  if (a % b != 0 && a < 0) --q;
  return q;
}
Wide CeilDiv(Wide a, Wide b) {  // b > 0
  Wide q = a / b;
  if (a % b != 0 && a > 0) ++q;
  return q;
}
int Sign(long long v) { return (v > 0) - (v < 0); }

}  // namespace

void DrawThinLine(const RunTarget& target, long long x0, long long y0, long long x1, long long y1, COLORREF colour) {
  const PixelBlock& block = target.block;
  if (block.width <= 0 || block.height <= 0 || (block.bits == nullptr && !target.Records())) return;
  const long long dx = x1 - x0;
  const long long dy = y1 - y0;
  const long long adx = dx < 0 ? -dx : dx;
  const long long ady = dy < 0 ? -dy : dy;
  const long long n = std::max(adx, ady);  // steps; the pixel of step n is the end point
  if (n == 0) return;

  // Step t (0 <= t < n) moves t along the major axis and q(t) along the minor
  // one, q(t) = floor((2 t m + n) / 2n): the nearest pixel, halves rounded on.
  const bool xMajor = adx >= ady;
  const long long a0 = xMajor ? x0 : y0;
  const long long b0 = xMajor ? y0 : x0;
  const int sa = Sign(xMajor ? dx : dy);
  const int sb = Sign(xMajor ? dy : dx);
  const long long m = xMajor ? ady : adx;
  const long long aLimit = xMajor ? block.width : block.height;
  const long long bLimit = xMajor ? block.height : block.width;

  // Steps whose major coordinate lies inside.
  Wide tlo = 0, thi = n - 1;
  if (sa > 0) {
    tlo = std::max<Wide>(tlo, -a0);
    thi = std::min<Wide>(thi, aLimit - 1 - a0);
  } else {
    tlo = std::max<Wide>(tlo, a0 - (aLimit - 1));
    thi = std::min<Wide>(thi, a0);
  }
  // ... and whose minor coordinate does.
  if (sb == 0) {
    if (b0 < 0 || b0 >= bLimit) return;
  } else {
    const Wide klo = sb > 0 ? -b0 : b0 - (bLimit - 1);
    const Wide khi = sb > 0 ? bLimit - 1 - b0 : b0;
    tlo = std::max(tlo, CeilDiv(2 * Wide(n) * klo - n, 2 * Wide(m)));
    thi = std::min(thi, FloorDiv(2 * Wide(n) * (khi + 1) - n - 1, 2 * Wide(m)));
  }
  if (tlo > thi) return;

  const Wide start = 2 * tlo * m + n;
  long long q = static_cast<long long>(start / (2 * Wide(n)));
  long long r = static_cast<long long>(start % (2 * Wide(n)));
  const long long twoN = 2 * n;
  const long long twoM = 2 * m;
  // Visits the pixels inside the block in order along the line.
  auto walk = [&](auto&& put) {
    for (long long t = static_cast<long long>(tlo); t <= static_cast<long long>(thi); ++t) {
      const long long a = a0 + sa * t;
      const long long c = b0 + sb * q;
      const long long x = xMajor ? a : c;
      const long long y = xMajor ? c : a;
      if (x >= 0 && y >= 0 && x < block.width && y < block.height) put(static_cast<int>(x), static_cast<int>(y));
      r += twoM;
      if (r >= twoN) {
        r -= twoN;
        ++q;
      }
    }
  };
  if (target.Records()) {
    // The same pixels as runs: neighbours along a row join up.
    int runY = 0, runX0 = 0, runX1 = 0;
    bool open = false;
    walk([&](int x, int y) {
      if (open && y == runY && x == runX1) {
        ++runX1;
      } else if (open && y == runY && x == runX0 - 1) {
        --runX0;
      } else {
        if (open) target.recorder->Add(runY, runX0, runX1, colour);
        runY = y;
        runX0 = x;
        runX1 = x + 1;
        open = true;
      }
    });
    if (open) target.recorder->Add(runY, runX0, runX1, colour);
    return;
  }
  const std::uint8_t b = static_cast<std::uint8_t>(GetBValue(colour));
  const std::uint8_t g = static_cast<std::uint8_t>(GetGValue(colour));
  const std::uint8_t red = static_cast<std::uint8_t>(GetRValue(colour));
  std::uint64_t written = 0;
  walk([&](int x, int y) {
    std::uint8_t* p = block.Pixel(x, y);
    p[0] = b;
    p[1] = g;
    p[2] = red;
    ++written;
  });
  CountDirectPixels(written);
}

}  // namespace brisol
