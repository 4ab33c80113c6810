// CDxfPolyline (type 2): an open or closed polyline (POLYLINE and
// LWPOLYLINE). A closed one is drawn as a filled, outlined polygon (the
// closing segment is implied, not stored); an open one as pen lines.
#pragma once

#include <vector>

#include "dxf/DxfEntity.h"

namespace brisol {

class CDxfPolyline : public CDxfEntity {
 public:
  CDxfPolyline() = default;

  void WriteDxf(std::FILE* file, const DxfFileTransform& dxfFile) const override;
  std::unique_ptr<CDxfEntity> Clone() const override;
  int GetType() const override;
  void ApplyFileTransform(const DxfFileTransform& dxfFile) override;
  void GetExtents(CVec& min, CVec& max) const override;
  void DrawFigures(FigureSink& sink, const CMatrix& matrix) const override;

  void AddVertex(const CVec& v);
  int GetVertexCount() const { return static_cast<int>(m_aVertices.size()); }
  // Vertex i for 0 <= i < count; the zero vector otherwise.
  CVec GetVertex(int i) const;
  const std::vector<CVec>& GetVertices() const { return m_aVertices; }

  void SetClosed(bool closed) { m_bClosed = closed; }
  bool IsClosed() const { return m_bClosed; }
  void Set3D(bool is3D) { m_b3D = is3D; }
  bool Is3D() const { return m_b3D; }
  // Stored as the absolute value.
  void SetWidth(double width);
  double GetWidth() const { return m_dWidth; }

 private:
  bool m_bClosed = false;
  bool m_b3D = false;
  std::vector<CVec> m_aVertices;
  double m_dWidth = 0.0;
};

}  // namespace brisol
