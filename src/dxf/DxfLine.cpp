#include "dxf/DxfLine.h"

#include <algorithm>

#include "dxf/DeviceFigures.h"
#include "dxf/DxfWriter.h"
#include "dxf/FigureSink.h"
#include "raster/DrawContext.h"

namespace brisol {

void CDxfLine::WriteDxf(std::FILE* file, const DxfFileTransform& dxfFile) const {
  WriteTextGroup(file, 0, "LINE");
  WriteEntityHead(file, *this);
  WritePointGroup(file, 10, dxfFile.Map(m_vStart));
  WritePointGroup(file, 11, dxfFile.Map(m_vEnd));
}

std::unique_ptr<CDxfEntity> CDxfLine::Clone() const { return std::make_unique<CDxfLine>(*this); }

int CDxfLine::GetType() const { return kDxfLine; }

void CDxfLine::ApplyFileTransform(const DxfFileTransform& dxfFile) {
  m_vStart = dxfFile.Map(m_vStart);
  m_vEnd = dxfFile.Map(m_vEnd);
}

void CDxfLine::GetExtents(CVec& min, CVec& max) const {
  min.SetXYZ(std::min(m_vStart.x, m_vEnd.x), std::min(m_vStart.y, m_vEnd.y), 0.0);
  max.SetXYZ(std::max(m_vStart.x, m_vEnd.x), std::max(m_vStart.y, m_vEnd.y), 0.0);
}

void CDxfLine::DrawFigures(FigureSink& sink, const CMatrix& matrix) const {
  const CVec both[2] = {matrix.Apply2D(m_vStart), matrix.Apply2D(m_vEnd)};
  sink.Polyline(both);
}

}  // namespace brisol
