#include "dxf/DxfPoint.h"

#include "dxf/DeviceFigures.h"
#include "dxf/DxfWriter.h"
#include "dxf/FigureSink.h"
#include "raster/DrawContext.h"

namespace brisol {

void CDxfPoint::WriteDxf(std::FILE* file, const DxfFileTransform& dxfFile) const {
  WriteTextGroup(file, 0, "POINT");
  WriteEntityHead(file, *this);
  WritePointGroup(file, 10, dxfFile.Map(m_vPosition));
}

std::unique_ptr<CDxfEntity> CDxfPoint::Clone() const { return std::make_unique<CDxfPoint>(*this); }

int CDxfPoint::GetType() const { return kDxfPoint; }

void CDxfPoint::ApplyFileTransform(const DxfFileTransform& dxfFile) { m_vPosition = dxfFile.Map(m_vPosition); }

void CDxfPoint::GetExtents(CVec& min, CVec& max) const {
  min.SetXYZ(m_vPosition.x, m_vPosition.y, m_vPosition.z);
  max.SetXYZ(m_vPosition.x, m_vPosition.y, m_vPosition.z);
}

// A small cross of 4 x 4 pixels.
void CDxfPoint::DrawFigures(FigureSink& sink, const CMatrix& matrix) const {
  const CVec q = matrix.Apply2D(m_vPosition);
  const CVec down[2] = {CVec(q.x - 2, q.y - 2, 0), CVec(q.x + 2, q.y + 2, 0)};
  const CVec up[2] = {CVec(q.x + 2, q.y - 2, 0), CVec(q.x - 2, q.y + 2, 0)};
  sink.Polyline(down);
  sink.Polyline(up);
}

}  // namespace brisol
