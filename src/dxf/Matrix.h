// CMatrix: a 4 x 4 transform, row-major, applied to column vectors (the
// translation is column 3).
#pragma once

#include "dxf/Vec.h"

namespace brisol {

class CMatrix {
 public:
  CMatrix() { SetIdentity(); }

  void SetIdentity();
  // Element (r, c); a bad row or column is reported and answers 1.0.
  double getval(int r, int c) const;
  // Sets element (r, c); a bad row or column is reported and nothing is set.
  void setval(int r, int c, double value);
  // Unchecked element access for the inner loops.
  double at(int r, int c) const { return m_a[r][c]; }

  // this = a x b
  void Multiply(const CMatrix& a, const CMatrix& b);
  void SetScale(const CVec& v);
  void SetTranslation(const CVec& v);
  // A rotation by theta radians about axis 0, 1 or 2 (counter-clockwise in
  // x, y for the z axis).
  void SetRotation(double theta, int axis);
  // Scale first, then rotate about z, then translate.
  void MakeTransform(const CVec& scale, double theta, const CVec& translation);

  // (x', y', z', 0) from rows 0..2.
  CVec Apply3D(const CVec& p) const;
  // x' and y' from the 2D part; z and w of the result are those of p.
  CVec Apply2D(const CVec& p) const;

  bool operator==(const CMatrix& o) const;

 private:
  double m_a[4][4];
};

// The x and y axes of the arbitrary axis algorithm for an extrusion N.
void ArbitraryAxes(const CVec& normal, CVec& xAxis, CVec& yAxis);

}  // namespace brisol
