#include "effect/ImageMix.h"

#include <algorithm>
#include <cmath>

namespace brisol {

namespace {

double RawWeight(int geom, int j, int i, int w, int h, double radius) {
  const double x = static_cast<double>(j) / w;
  const double y = static_cast<double>(i) / h;
  switch (geom) {
    case eMixLeftRight: return 1.0 - x;
    case eMixRightLeft: return x;
    case eMixTopBottom: return 1.0 - y;
    case eMixBottomTop: return y;
    case eMixCircInOut:
    case eMixCircVignette: {
      const double dx = j - 0.5 * w, dy = i - 0.5 * h;
      const double d = std::sqrt(dx * dx + dy * dy) / radius;
      return geom == eMixCircInOut ? 1.0 - d : d;
    }
    case eMixEllipInOut:
    case eMixEllipVignette: {
      const double ux = 2.0 * std::fabs(x - 0.5), uy = 2.0 * std::fabs(y - 0.5);
      const double u = std::sqrt(ux * ux + uy * uy) / 2.0;
      return geom == eMixEllipInOut ? 1.0 - u : u;
    }
    case eMixRectInOut:
    case eMixRectFrame: {
      const double q = 2.0 * std::max(std::fabs(x - 0.5), std::fabs(0.5 - y));
      return geom == eMixRectInOut ? 1.0 - q : q;
    }
    default: return 0.0;
  }
}

}  // namespace

double MixWeight(const CImageMix& mix, int j, int i, int w, int h, double radius) {
  if (mix.m_eGeom == eMixEven) return mix.m_iSharpness * 0.01;

  const double r = RawWeight(mix.m_eGeom, j, i, w, h, radius);

  // Bias: the point K moves to 1 - K, keeping 0 at 0 and 1 at 1.
  const double k = mix.m_iVisible * 0.01;
  double biased;
  if (k >= 1.0) {
    biased = r >= 1.0 ? 1.0 : 0.0;  // the curve's limit; keeps 1 at 1
  } else {
    const double p = k / (1.0 - k);
    biased = r < k ? r / p : 1.0 - k + p * (r - k);
  }

  // Sharpness: a ramp from 1 at S down to 0 at 1 - S.
  const double s = (mix.m_iSharpness / 2) * 0.01;
  if (biased <= s) return 1.0;
  if (biased >= 1.0 - s) return 0.0;
  return (biased - (1.0 - s)) / (s - (1.0 - s));
}

}  // namespace brisol
