// CDxfEllipse (type 4): a full ellipse with axes along x and y. It is kept
// for its extents only: it draws and writes nothing, and the file transform
// leaves it alone.
#pragma once

#include "dxf/DxfEntity.h"

namespace brisol {

class CDxfEllipse : public CDxfEntity {
 public:
  CDxfEllipse() = default;
  CDxfEllipse(const CVec& centre, double halfX, double halfY) : m_vCentre(centre), m_dHalfX(halfX), m_dHalfY(halfY) {}

  void WriteDxf(std::FILE* file, const DxfFileTransform& dxfFile) const override;
  std::unique_ptr<CDxfEntity> Clone() const override;
  int GetType() const override;
  void ApplyFileTransform(const DxfFileTransform& dxfFile) override;
  void GetExtents(CVec& min, CVec& max) const override;

  void SetCentre(const CVec& c) { m_vCentre = c; }
  void SetHalfAxes(double halfX, double halfY) {
    m_dHalfX = halfX;
    m_dHalfY = halfY;
  }
  const CVec& GetCentre() const { return m_vCentre; }
  double GetHalfX() const { return m_dHalfX; }
  double GetHalfY() const { return m_dHalfY; }

 private:
  CVec m_vCentre;
  double m_dHalfX = 1.0;
  double m_dHalfY = 1.0;
};

}  // namespace brisol
