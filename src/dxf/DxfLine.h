// CDxfLine (type 1): a straight line between two points.
#pragma once

#include "dxf/DxfEntity.h"

namespace brisol {

class CDxfLine : public CDxfEntity {
 public:
  CDxfLine() = default;
  CDxfLine(const CVec& start, const CVec& end) : m_vStart(start), m_vEnd(end) {}

  void WriteDxf(std::FILE* file, const DxfFileTransform& dxfFile) const override;
  std::unique_ptr<CDxfEntity> Clone() const override;
  int GetType() const override;
  void ApplyFileTransform(const DxfFileTransform& dxfFile) override;
  void GetExtents(CVec& min, CVec& max) const override;
  void DrawFigures(FigureSink& sink, const CMatrix& matrix) const override;

  void SetStart(const CVec& p) { m_vStart = p; }
  void SetEnd(const CVec& p) { m_vEnd = p; }
  const CVec& GetStart() const { return m_vStart; }
  const CVec& GetEnd() const { return m_vEnd; }

 private:
  CVec m_vStart;
  CVec m_vEnd;
};

}  // namespace brisol
