#include "effect/ImageMix.h"

#include <algorithm>
#include <cmath>

namespace brisol {

namespace {

double RawWeight(int geom, int j, int i, int w, int h, double radius) {
  const double x = static_cast<double>(j) / w;
  const double y = static_cast<double>(i) / h;
  switch (geom) {
    case eMixLeftRight:
      return 1.0 - x;
    case eMixRightLeft:
      return x;
    case eMixTopBottom:
      return 1.0 - y;
    case eMixBottomTop:
      return y;
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
    default:
      return 0.0;
  }
}

// Bias and sharpness applied to a raw weight.
inline double Shape(const CImageMix& mix, double r) {
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

}  // namespace

double MixShape(const CImageMix& mix, double r) { return Shape(mix, r); }

std::vector<double> MixShapeBends(const CImageMix& mix) {
  const double k = mix.m_iVisible * 0.01;
  const double s = (mix.m_iSharpness / 2) * 0.01;
  std::vector<double> bends;
  auto add = [&bends](double r) {
    if (r > 0.0 && r < 1.0) bends.push_back(r);
  };
  if (k >= 1.0) {
    bends.push_back(1.0);  // the bias jumps there
  } else if (k > 0.0) {
    // Where the biased weight takes the value v.
    const double p = k / (1.0 - k);
    auto unbias = [&](double v) { return v <= 1.0 - k ? v * p : k + (v - (1.0 - k)) / p; };
    add(k);
    add(unbias(s));
    add(unbias(1.0 - s));
  }
  std::sort(bends.begin(), bends.end());
  bends.erase(std::unique(bends.begin(), bends.end()), bends.end());
  return bends;
}

double MixWeight(const CImageMix& mix, int j, int i, int w, int h, double radius) {
  if (mix.m_eGeom == eMixEven) return mix.m_iSharpness * 0.01;
  return Shape(mix, RawWeight(mix.m_eGeom, j, i, w, h, radius));
}

MixRowWeights::MixRowWeights(const CImageMix& mix, int w, int h)
    : m_mix(mix),
      m_w(w),
      m_h(h),
      m_radius(std::sqrt(static_cast<double>(w) * w + static_cast<double>(h) * h) * 0.5),
      m_x(static_cast<std::size_t>(w)),
      m_dx2(static_cast<std::size_t>(w)),
      m_ux2(static_cast<std::size_t>(w)),
      m_absX(static_cast<std::size_t>(w)) {
  for (int j = 0; j < w; ++j) {
    const double x = static_cast<double>(j) / w;
    const double dx = j - 0.5 * w;
    const double ux = 2.0 * std::fabs(x - 0.5);
    m_x[j] = x;
    m_dx2[j] = dx * dx;
    m_ux2[j] = ux * ux;
    m_absX[j] = std::fabs(x - 0.5);
  }
}

void MixRowWeights::Row(int i, double* weights) const {
  const int w = m_w;
  const int geom = m_mix.m_eGeom;
  if (geom == eMixEven) {
    for (int j = 0; j < w; ++j) weights[j] = m_mix.m_iSharpness * 0.01;
    return;
  }
  const double y = static_cast<double>(i) / m_h;
  switch (geom) {
    case eMixLeftRight:
      for (int j = 0; j < w; ++j) weights[j] = Shape(m_mix, 1.0 - m_x[j]);
      return;
    case eMixRightLeft:
      for (int j = 0; j < w; ++j) weights[j] = Shape(m_mix, m_x[j]);
      return;
    case eMixTopBottom:
    case eMixBottomTop: {
      const double l = Shape(m_mix, geom == eMixTopBottom ? 1.0 - y : y);
      for (int j = 0; j < w; ++j) weights[j] = l;
      return;
    }
    case eMixCircInOut:
    case eMixCircVignette: {
      const double dy = i - 0.5 * m_h;
      const double dy2 = dy * dy;
      for (int j = 0; j < w; ++j) {
        const double d = std::sqrt(m_dx2[j] + dy2) / m_radius;
        weights[j] = Shape(m_mix, geom == eMixCircInOut ? 1.0 - d : d);
      }
      return;
    }
    case eMixEllipInOut:
    case eMixEllipVignette: {
      const double uy = 2.0 * std::fabs(y - 0.5);
      const double uy2 = uy * uy;
      for (int j = 0; j < w; ++j) {
        const double u = std::sqrt(m_ux2[j] + uy2) / 2.0;
        weights[j] = Shape(m_mix, geom == eMixEllipInOut ? 1.0 - u : u);
      }
      return;
    }
    case eMixRectInOut:
    case eMixRectFrame: {
      const double ay = std::fabs(0.5 - y);
      for (int j = 0; j < w; ++j) {
        const double q = 2.0 * std::max(m_absX[j], ay);
        weights[j] = Shape(m_mix, geom == eMixRectInOut ? 1.0 - q : q);
      }
      return;
    }
    default:
      for (int j = 0; j < w; ++j) weights[j] = Shape(m_mix, 0.0);
      return;
  }
}

}  // namespace brisol
