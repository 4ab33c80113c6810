#include "dxf/Matrix.h"

#include <cmath>

#include "logger/Alerts.h"

namespace brisol {

void CMatrix::SetIdentity() {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) m_a[r][c] = r == c ? 1.0 : 0.0;
}

double CMatrix::getval(int r, int c) const {
  if (r < 0 || r > 3) {
    DxfWalertBox(kIconExclamation, "CMatrix::getval, bad row:%d", r);
    return 1.0;
  }
  if (c < 0 || c > 3) {
    DxfWalertBox(kIconExclamation, "CMatrix::getval, bad column:%d", c);
    return 1.0;
  }
  return m_a[r][c];
}

void CMatrix::setval(int r, int c, double value) {
  if (r < 0 || r > 3) {
    DxfWalertBox(kIconExclamation, "CMatrix::setval, bad row:%d", r);
    return;
  }
  if (c < 0 || c > 3) {
    DxfWalertBox(kIconExclamation, "CMatrix::setval, bad column:%d", c);
    return;
  }
  m_a[r][c] = value;
}

void CMatrix::Multiply(const CMatrix& a, const CMatrix& b) {
  CMatrix product;  // a or b may be this matrix
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      double sum = 0.0;
      for (int k = 0; k < 4; ++k) sum += a.m_a[i][k] * b.m_a[k][j];
      product.m_a[i][j] = sum;
    }
  }
  *this = product;
}

void CMatrix::SetScale(const CVec& v) {
  SetIdentity();
  m_a[0][0] = v.x;
  m_a[1][1] = v.y;
  m_a[2][2] = v.z;
}

void CMatrix::SetTranslation(const CVec& v) {
  SetIdentity();
  m_a[0][3] = v.x;
  m_a[1][3] = v.y;
  m_a[2][3] = v.z;
}

void CMatrix::SetRotation(double theta, int axis) {
  SetIdentity();
  const int b = ((axis % 3) + 4) % 3;
  const int c = ((axis % 3) + 5) % 3;
  const double cs = std::cos(theta), sn = std::sin(theta);
  m_a[b][b] = cs;
  m_a[c][c] = cs;
  m_a[c][b] = sn;
  m_a[b][c] = -sn;
}

void CMatrix::MakeTransform(const CVec& scale, double theta, const CVec& translation) {
  CMatrix s, r, t, rs;
  s.SetScale(scale);
  r.SetRotation(theta, 2);
  t.SetTranslation(translation);
  rs.Multiply(r, s);
  Multiply(t, rs);
}

CVec CMatrix::Apply3D(const CVec& p) const {
  CVec out;
  out.x = m_a[0][0] * p.x + m_a[0][1] * p.y + m_a[0][2] * p.z + m_a[0][3];
  out.y = m_a[1][0] * p.x + m_a[1][1] * p.y + m_a[1][2] * p.z + m_a[1][3];
  out.z = m_a[2][0] * p.x + m_a[2][1] * p.y + m_a[2][2] * p.z + m_a[2][3];
  out.w = 0.0;
  return out;
}

CVec CMatrix::Apply2D(const CVec& p) const {
  CVec out = p;
  out.x = m_a[0][0] * p.x + m_a[0][1] * p.y + m_a[0][3];
  out.y = m_a[1][0] * p.x + m_a[1][1] * p.y + m_a[1][3];
  return out;
}

bool CMatrix::operator==(const CMatrix& o) const {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      if (m_a[r][c] != o.m_a[r][c]) return false;
  return true;
}

void ArbitraryAxes(const CVec& normal, CVec& xAxis, CVec& yAxis) {
  if (std::fabs(normal.x) < 0.015625 && std::fabs(normal.y) < 0.015625) {
    xAxis = CVec::Cross(kUnitY, normal);
  } else {
    xAxis = CVec::Cross(kUnitZ, normal);
  }
  xAxis.Normalize();
  yAxis = CVec::Cross(normal, xAxis);
  yAxis.Normalize();
}

}  // namespace brisol
