// Colour conversions between red-green-blue and hue-saturation-value, the
// colour class built on them, and the random variation of a colour.
#pragma once

#include "raster/Random.h"
#include "raster/Types.h"

namespace brisol {

// Channels are fractions 0..1, hue in degrees.
void HsvToRgb(double h, double s, double v, double& r, double& g, double& b);
void RgbToHsv(double r, double g, double b, double& h, double& s, double& v);

// A colour held both ways: hue in 0 <= hue < 360, saturation and value in
// 0..1, and the integer channels derived from them.
class CHsvColor {
 public:
  CHsvColor() { Recompute(); }
  explicit CHsvColor(COLORREF c) { Set(c); }
  CHsvColor(double h, double s, double v) { Set(h, s, v); }

  void Set(COLORREF c);
  void Set(double h, double s, double v);
  COLORREF GetColorRef();

  double Hue() const { return m_dHue; }
  double Saturation() const { return m_dSat; }
  double Value() const { return m_dVal; }
  int Red() const { return m_iRed; }
  int Green() const { return m_iGreen; }
  int Blue() const { return m_iBlue; }

 private:
  void Recompute();

  double m_dHue = 0.0;
  double m_dSat = 0.0;
  double m_dVal = 1.0;
  int m_iRed = 255;
  int m_iGreen = 255;
  int m_iBlue = 255;
};

// The colour with its hue, saturation and value moved at random by up to
// 179 v degrees and 0.5 v. Exactly three draws, also for v = 0; v outside
// 0..1 returns the colour unchanged without drawing.
COLORREF VaryColor(CRandomSource& random, COLORREF c, double v);

}  // namespace brisol
