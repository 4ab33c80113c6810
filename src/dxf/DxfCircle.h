// CDxfCircle (type 3): drawn as a filled, outlined ellipse that stays a
// circle under any transform.
#pragma once

#include "dxf/DxfEntity.h"

namespace brisol {

class CDxfCircle : public CDxfEntity {
 public:
  CDxfCircle() = default;
  CDxfCircle(const CVec& centre, double radius) : m_vCentre(centre), m_dRadius(radius) {}

  void WriteDxf(std::FILE* file, const DxfFileTransform& dxfFile) const override;
  std::unique_ptr<CDxfEntity> Clone() const override;
  int GetType() const override;
  void ApplyFileTransform(const DxfFileTransform& dxfFile) override;
  void GetExtents(CVec& min, CVec& max) const override;
  void DrawFigures(FigureSink& sink, const CMatrix& matrix) const override;

  void SetCentre(const CVec& c) { m_vCentre = c; }
  void SetRadius(double r) { m_dRadius = r; }
  const CVec& GetCentre() const { return m_vCentre; }
  double GetRadius() const { return m_dRadius; }

 private:
  CVec m_vCentre;
  double m_dRadius = 1.0;
};

}  // namespace brisol
