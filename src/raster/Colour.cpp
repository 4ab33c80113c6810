#include "raster/Colour.h"

#include <algorithm>
#include <cmath>

#include "logger/Alerts.h"

namespace brisol {

void HsvToRgb(double h, double s, double v, double& r, double& g, double& b) {
  if (s == 0.0) {
    r = g = b = v;
    return;
  }
  const double x = h * 0.016666666666666666;
  const int i = static_cast<int>(x);
  const double f = x - i;
  const double p = v * (1.0 - s);
  const double q = v * (1.0 - s * f);
  const double t = v * (1.0 - s * (1.0 - f));
  switch (i) {
    case 0:
    case 6:
      r = v;
      g = t;
      b = p;
      return;
    case 1:
      r = q;
      g = v;
      b = p;
      return;
    case 2:
      r = p;
      g = v;
      b = t;
      return;
    case 3:
      r = p;
      g = q;
      b = v;
      return;
    case 4:
      r = t;
      g = p;
      b = v;
      return;
    case 5:
      break;
    default:
      WalertBox(kIconExclamation, "HsvToRgb(%6.3f,%6.3f,%6.3f) = (%d)\n", x, s, v, i);
      break;
  }
  r = v;
  g = p;
  b = q;
}

void RgbToHsv(double r, double g, double b, double& h, double& s, double& v) {
  const double max = std::max({r, g, b});
  const double min = std::min({r, g, b});
  v = max;
  s = max != 0.0 ? (max - min) / max : 0.0;
  if (s == 0.0) {
    h = 0.0;
    return;
  }
  const double d = max - min;
  const double rc = (max - r) / d;
  const double gc = (max - g) / d;
  const double bc = (max - b) / d;
  if (r == max)
    h = bc - gc;
  else if (g == max)
    h = 2.0 + rc - bc;
  else
    h = 4.0 + gc - rc;
  h *= 60.0;
  if (h < 0.0)
    h += 360.0;
  else if (h > 360.0)
    h -= 360.0;
}

namespace {

double WrapHue(double h) {
  if (!(h == h)) return 0.0;  // NaN: no hue
  if (h >= 360.0 || h < 0.0) {
    h = std::fmod(h, 360.0);  // same result as repeated steps of 360, without a loop
    if (h < 0.0) h += 360.0;
    if (h >= 360.0) h -= 360.0;
  }
  return h;
}

double Clamp01(double x) {
  if (!(x >= 0.0)) return 0.0;
  return x > 1.0 ? 1.0 : x;
}

}  // namespace

void CHsvColor::Set(COLORREF c) {
  RgbToHsv(GetRValue(c) * 0.00392156862745098, GetGValue(c) * 0.00392156862745098, GetBValue(c) * 0.00392156862745098,
           m_dHue, m_dSat, m_dVal);
  Recompute();
}

void CHsvColor::Set(double h, double s, double v) {
  m_dHue = WrapHue(h);
  m_dSat = Clamp01(s);
  m_dVal = Clamp01(v);
  Recompute();
}

void CHsvColor::Recompute() {
  m_dHue = WrapHue(m_dHue);
  double r = 0, g = 0, b = 0;
  HsvToRgb(m_dHue, m_dSat, m_dVal, r, g, b);
  m_iRed = static_cast<int>(r * 255.0);
  m_iGreen = static_cast<int>(g * 255.0);
  m_iBlue = static_cast<int>(b * 255.0);
}

COLORREF CHsvColor::GetColorRef() {
  Recompute();
  return static_cast<COLORREF>(m_iRed) | static_cast<COLORREF>(m_iGreen) << 8 | static_cast<COLORREF>(m_iBlue) << 16;
}

COLORREF VaryColor(CRandomSource& random, COLORREF c, double v) {
  if (v < 0.0 || v > 1.0) return c;
  const CHsvColor from(c);
  const double h = from.Hue() + random.RandomDouble(-179.0 * v, 179.0 * v);
  const double s = from.Saturation() + random.RandomDouble(-0.5 * v, 0.5 * v);
  const double val = from.Value() + random.RandomDouble(-0.5 * v, 0.5 * v);
  CHsvColor to(h, s, val);
  return to.GetColorRef();
}

}  // namespace brisol
