// CDxfPoint (type 0): a point, drawn as a small cross.
#pragma once

#include "dxf/DxfEntity.h"

namespace brisol {

class CDxfPoint : public CDxfEntity {
 public:
  CDxfPoint() = default;
  explicit CDxfPoint(const CVec& position) : m_vPosition(position) {}

  void WriteDxf(std::FILE* file, const DxfFileTransform& dxfFile) const override;
  std::unique_ptr<CDxfEntity> Clone() const override;
  int GetType() const override;
  void ApplyFileTransform(const DxfFileTransform& dxfFile) override;
  void GetExtents(CVec& min, CVec& max) const override;
  void DrawFigures(FigureSink& sink, const CMatrix& matrix) const override;

  void SetPosition(const CVec& p) { m_vPosition = p; }
  const CVec& GetPosition() const { return m_vPosition; }

 private:
  CVec m_vPosition;
};

}  // namespace brisol
