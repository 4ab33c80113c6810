#include "dxf/DxfEllipse.h"

namespace brisol {

void CDxfEllipse::WriteDxf(std::FILE*, const DxfFileTransform&) const {}

std::unique_ptr<CDxfEntity> CDxfEllipse::Clone() const { return std::make_unique<CDxfEllipse>(*this); }

int CDxfEllipse::GetType() const { return kDxfEllipse; }

void CDxfEllipse::ApplyFileTransform(const DxfFileTransform&) {}

void CDxfEllipse::GetExtents(CVec& min, CVec& max) const {
  min.SetXYZ(m_vCentre.x - m_dHalfX, m_vCentre.y - m_dHalfY, 0.0);
  max.SetXYZ(m_vCentre.x + m_dHalfX, m_vCentre.y + m_dHalfY, 0.0);
}

}  // namespace brisol
