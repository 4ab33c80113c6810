#include "dxf/Vec.h"

#include <cmath>

#include "logger/Alerts.h"

namespace brisol {

double CVec::operator[](int i) const {
  switch (i) {
    case 0:
      return x;
    case 1:
      return y;
    case 2:
      return z;
    case 3:
      return w;
    default:
      DxfWalertBox(kIconExclamation, "Bad index for CVec operator[%d]", i);
      return 1.0;
  }
}

void CVec::setval(int i, double value) {
  switch (i) {
    case 0:
      x = value;
      return;
    case 1:
      y = value;
      return;
    case 2:
      z = value;
      return;
    case 3:
      w = value;
      return;
    default:
      DxfWalertBox(kIconExclamation, "Bad size in setval:%d", i);
  }
}

double CVec::Length() const { return std::sqrt(x * x + y * y + z * z); }

void CVec::Normalize() {
  const double length = Length();
  if (length < 2.2250738585072014e-305) {
    x = 1.0;
    y = 0.0;
    z = 0.0;
    return;
  }
  x /= length;
  y /= length;
  z /= length;
}

void CVec::Abs() {
  x = std::fabs(x);
  y = std::fabs(y);
  z = std::fabs(z);
}

double CVec::Angle(const CVec& a, const CVec& b) { return std::acos(Dot(a, b)); }

CVec CVec::Cross(const CVec& a, const CVec& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x, a.w};
}

double CVec::Distance2D(const CVec& a, const CVec& b) {
  const double dx = a.x - b.x, dy = a.y - b.y;
  return std::sqrt(dx * dx + dy * dy);
}

double CVec::Distance3D(const CVec& a, const CVec& b) {
  const double dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

}  // namespace brisol
