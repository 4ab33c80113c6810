// CImageMix: how the finished picture is mixed with the original — the
// geometry, the sharpness of the transition (the original's share for
// "Even") and the visibility of the original.
#pragma once

#include <vector>

#include "effect/Enums.h"

namespace brisol {

struct CImageMix {
  int m_eGeom = eMixOff;
  int m_iSharpness = 50;
  int m_iVisible = 50;

  friend bool operator==(const CImageMix&, const CImageMix&) = default;
};

// The original's weight 0..1 at output pixel (j, i) of a w x h picture for a
// geometry other than "Off"; r is half the picture's diagonal.
double MixWeight(const CImageMix& mix, int j, int i, int w, int h, double r);

// The bias and sharpness of the mix applied to a raw weight r (0 .. 1) of a
// geometry: MixWeight is MixShape of the geometry's raw weight at the pixel.
double MixShape(const CImageMix& mix, double r);
// The raw weights in 0 .. 1 at which MixShape bends or jumps, in order:
// between them it is a straight line.
std::vector<double> MixShapeBends(const CImageMix& mix);

// The same weights a whole row at a time, with what depends on the column
// worked out once per picture. Gives exactly MixWeight's values.
class MixRowWeights {
 public:
  MixRowWeights(const CImageMix& mix, int w, int h);
  // weights[j] for j = 0 .. w - 1 of row i.
  void Row(int i, double* weights) const;

 private:
  CImageMix m_mix;
  int m_w, m_h;
  double m_radius;
  std::vector<double> m_x;     // j / w
  std::vector<double> m_dx2;   // (j - w / 2)^2
  std::vector<double> m_ux2;   // (2 |j / w - 1/2|)^2
  std::vector<double> m_absX;  // |j / w - 1/2|
};

}  // namespace brisol
