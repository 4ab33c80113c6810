#include "dxf/DxfPolyline.h"

#include <cmath>
#include <span>
#include <vector>

#include "dxf/DeviceFigures.h"
#include "dxf/DxfWriter.h"
#include "dxf/FigureSink.h"
#include "raster/DrawContext.h"
#include "raster/ThreadScratch.h"

namespace brisol {

// The array grows geometrically, so a polyline of a million vertices costs no
// more than its vertices.
void CDxfPolyline::AddVertex(const CVec& v) { m_aVertices.push_back(v); }

CVec CDxfPolyline::GetVertex(int i) const {
  if (i < 0 || i >= GetVertexCount()) return kZeroVec;
  return m_aVertices[static_cast<std::size_t>(i)];
}

void CDxfPolyline::SetWidth(double width) { m_dWidth = std::fabs(width); }

void CDxfPolyline::WriteDxf(std::FILE* file, const DxfFileTransform& dxfFile) const {
  if (m_aVertices.empty()) return;
  WriteTextGroup(file, 0, "POLYLINE");
  WriteEntityHead(file, *this);
  WriteIntGroup(file, 70, (m_bClosed ? 1 : 0) + (m_b3D ? 8 : 0));
  WriteIntGroup(file, 66, 1);
  WritePointGroup(file, 10, 0.0, 0.0, dxfFile.Map(m_aVertices.front()).z);
  for (const CVec& v : m_aVertices) {
    WriteTextGroup(file, 0, "VERTEX");
    WriteTextGroup(file, 8, GetLayerName());
    WritePointGroup(file, 10, dxfFile.Map(v));
    if (m_b3D) WriteIntGroup(file, 70, 32);
  }
  WriteTextGroup(file, 0, "SEQEND");
}

std::unique_ptr<CDxfEntity> CDxfPolyline::Clone() const { return std::make_unique<CDxfPolyline>(*this); }

int CDxfPolyline::GetType() const { return kDxfPolyline; }

void CDxfPolyline::ApplyFileTransform(const DxfFileTransform& dxfFile) {
  for (CVec& v : m_aVertices) v = dxfFile.Map(v);
}

void CDxfPolyline::GetExtents(CVec& min, CVec& max) const {
  min.SetXYZ(1e200, 1e200, 0.0);
  max.SetXYZ(-1e200, -1e200, 0.0);
  for (const CVec& v : m_aVertices) {
    if (v.x < min.x) min.x = v.x;
    if (v.y < min.y) min.y = v.y;
    if (v.x > max.x) max.x = v.x;
    if (v.y > max.y) max.y = v.y;
  }
}

// A closed polyline is one filled polygon; its points go through a buffer
// kept per thread, so drawing the same shape again allocates nothing.
void CDxfPolyline::DrawFigures(FigureSink& sink, const CMatrix& matrix) const {
  if (m_aVertices.size() < 2) return;
  static ThreadScratch<std::vector<CVec>> scratch;
  std::vector<CVec>& points = scratch.Get();
  points.clear();
  for (const CVec& v : m_aVertices) points.push_back(matrix.Apply2D(v));
  if (m_bClosed) {
    sink.Polygon(points);
  } else {
    sink.Polyline(points);
  }
}

}  // namespace brisol
