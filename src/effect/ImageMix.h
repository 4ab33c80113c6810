// CImageMix: how the finished picture is mixed with the original — the
// geometry, the sharpness of the transition (the original's share for
// "Even") and the visibility of the original.
#pragma once

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

}  // namespace brisol
