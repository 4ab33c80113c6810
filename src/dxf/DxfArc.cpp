#include "dxf/DxfArc.h"

#include <algorithm>
#include <cmath>

#include "dxf/DeviceFigures.h"
#include "dxf/DxfWriter.h"
#include "dxf/FigureSink.h"
#include "raster/DrawContext.h"

namespace brisol {

void CDxfArc::WriteDxf(std::FILE* file, const DxfFileTransform& dxfFile) const {
  const CVec c = dxfFile.Map(m_vCentre);
  WriteTextGroup(file, 0, "ARC");
  WriteEntityHead(file, *this);
  WritePointGroup(file, 10, c.x, c.y, 0.0);
  WriteRealGroup(file, 40, dxfFile.Scale(m_dRadius));
  WriteRealGroup(file, 50, m_dStartAngle);
  WriteRealGroup(file, 51, m_dEndAngle);
}

std::unique_ptr<CDxfEntity> CDxfArc::Clone() const { return std::make_unique<CDxfArc>(*this); }

int CDxfArc::GetType() const { return kDxfArc; }

void CDxfArc::ApplyFileTransform(const DxfFileTransform& dxfFile) {
  m_vCentre = dxfFile.Map(m_vCentre);
  m_dRadius = dxfFile.Scale(m_dRadius);
}

// The box of the two end points only, not of the whole arc.
void CDxfArc::GetExtents(CVec& min, CVec& max) const {
  const double a = DegreesToRadians(m_dStartAngle);
  const double b = DegreesToRadians(m_dEndAngle);
  const double x1 = m_vCentre.x + m_dRadius * std::cos(a);
  const double y1 = m_vCentre.y + m_dRadius * std::sin(a);
  const double x2 = m_vCentre.x + m_dRadius * std::cos(b);
  const double y2 = m_vCentre.y + m_dRadius * std::sin(b);
  min.SetXYZ(std::min(x1, x2), std::min(y1, y2), 0.0);
  max.SetXYZ(std::max(x1, x2), std::max(y1, y2), 0.0);
}

// Always counter-clockwise on the screen; the radius follows the
// transform's x scale only and is at least 2 pixels.
void CDxfArc::DrawFigures(FigureSink& sink, const CMatrix& matrix) const {
  if (std::fabs(m_dStartAngle - m_dEndAngle) < 1e-05) return;
  double r = matrix.at(0, 0) * m_dRadius;
  if (!std::isfinite(r)) return;  // nothing sensible to draw
  if (!(r >= 2.0)) r = 2.0;
  const CVec c = matrix.Apply2D(m_vCentre);
  double sweep = m_dEndAngle - m_dStartAngle;
  if (m_dStartAngle > m_dEndAngle) sweep += 360.0;
  CVec points[kDrawPoints];
  for (int i = 0; i < kDrawPoints; ++i) {
    const double theta = DegreesToRadians(m_dStartAngle + i * sweep / (kDrawPoints - 1));
    points[i] = CVec(c.x + std::cos(theta) * r, c.y - std::sin(theta) * r, 0.0);
  }
  sink.Polyline(points);
}

}  // namespace brisol
