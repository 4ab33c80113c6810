#include "dxf/DxfCircle.h"

#include <cmath>

#include "dxf/DeviceCoords.h"
#include "dxf/DeviceFigures.h"
#include "dxf/DxfWriter.h"
#include "dxf/FigureSink.h"
#include "raster/DrawContext.h"

namespace brisol {

void CDxfCircle::WriteDxf(std::FILE* file, const DxfFileTransform& dxfFile) const {
  const CVec c = dxfFile.Map(m_vCentre);
  WriteTextGroup(file, 0, "CIRCLE");
  WriteEntityHead(file, *this);
  WritePointGroup(file, 10, c.x, c.y, 0.0);
  WriteRealGroup(file, 40, dxfFile.Scale(m_dRadius));
}

std::unique_ptr<CDxfEntity> CDxfCircle::Clone() const { return std::make_unique<CDxfCircle>(*this); }

int CDxfCircle::GetType() const { return kDxfCircle; }

void CDxfCircle::ApplyFileTransform(const DxfFileTransform& dxfFile) {
  m_vCentre = dxfFile.Map(m_vCentre);
  m_dRadius = dxfFile.Scale(m_dRadius);
}

// A negative radius (the reader keeps none, a negative output scale makes
// one) spans the same box as its size.
void CDxfCircle::GetExtents(CVec& min, CVec& max) const {
  const double r = std::fabs(m_dRadius);
  min.SetXYZ(m_vCentre.x - r, m_vCentre.y - r, 0.0);
  max.SetXYZ(m_vCentre.x + r, m_vCentre.y + r, 0.0);
}

// The radius is measured after the transform, so a turned or unevenly
// scaled transform still gives a circle.
void CDxfCircle::DrawFigures(FigureSink& sink, const CMatrix& matrix) const {
  const CVec c = matrix.Apply3D(m_vCentre);
  const CVec e = matrix.Apply3D(CVec(m_vCentre.x, m_vCentre.y + m_dRadius, 0.0));
  double r = CVec::Distance2D(e, c);
  if (std::isinf(r)) r = std::hypot(e.x - c.x, e.y - c.y);  // squares beyond the doubles
  if (!IsFinite2D(c) || !std::isfinite(r)) return;          // nothing sensible to draw
  sink.Circle(c, r);
}

}  // namespace brisol
