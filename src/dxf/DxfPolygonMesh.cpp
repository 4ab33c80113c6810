#include "dxf/DxfPolygonMesh.h"

#include <algorithm>
#include <limits>

#include "dxf/DxfWriter.h"
#include "logger/Trace.h"

namespace brisol {

void CDxfPolygonMesh::SetM(int m) {
  if (m < 0 || m > kMaxCount) {
    TraceMsg("CDxfPolygonMesh::SetM(%d), out of range 0 to %d", m, kMaxCount);
    return;
  }
  if (m_bGrid && m != m_iM) {
    TraceMsg("CDxfPolygonMesh::SetM(%d), vertices already stored for %d x %d", m, m_iM, m_iN);
    return;
  }
  m_iM = m;
  UpdateFaceCount();
}

void CDxfPolygonMesh::SetN(int n) {
  if (n < 0 || n > kMaxCount) {
    TraceMsg("CDxfPolygonMesh::SetN(%d), out of range 0 to %d", n, kMaxCount);
    return;
  }
  if (m_bGrid && n != m_iN) {
    TraceMsg("CDxfPolygonMesh::SetN(%d), vertices already stored for %d x %d", n, m_iM, m_iN);
    return;
  }
  m_iN = n;
  UpdateFaceCount();
}

void CDxfPolygonMesh::SetFlags(int flags) {
  m_iFlags = flags;
  UpdateFaceCount();
}

void CDxfPolygonMesh::UpdateFaceCount() {
  if (m_iM <= 1 || m_iN <= 1) {
    m_iFaceCount = 0;
    return;
  }
  m_iFaceCount = (m_iM - 1) * (m_iN - 1);
  if (m_iFlags & kClosedInM) m_iFaceCount += m_iN - 1;
  if (m_iFlags & kClosedInN) m_iFaceCount += m_iM - 1;
}

void CDxfPolygonMesh::AddVertex(const CVec& v) {
  if (!m_bGrid) {
    m_bGrid = true;
    m_iSlots = static_cast<std::int64_t>(m_iM) * m_iN;
  }
  if (static_cast<std::int64_t>(m_aVertices.size()) >= m_iSlots) {
    TraceMsg("CDxfPolygonMesh::AddVertex, no room for more than %d x %d vertices", m_iM, m_iN);
    return;
  }
  m_aVertices.push_back(v);
}

CVec CDxfPolygonMesh::SlotValue(std::int64_t k) const {
  if (k >= 0 && k < static_cast<std::int64_t>(m_aVertices.size())) return m_aVertices[static_cast<std::size_t>(k)];
  return m_vEmptySlot;
}

CVec CDxfPolygonMesh::GetVertex(int i, int j) const {
  if (i < 0 || j < 0 || i >= m_iM || j >= m_iN) return m_vEmptySlot;
  return SlotValue(static_cast<std::int64_t>(i) * m_iN + j);
}

void CDxfPolygonMesh::WriteDxf(std::FILE* file, const DxfFileTransform& dxfFile) const {
  if (!m_bGrid || m_iSlots == 0) return;
  WriteTextGroup(file, 0, "POLYLINE");
  WriteEntityHead(file, *this);
  WriteIntGroup(file, 66, 1);
  WriteIntGroup(file, 70, m_iFlags | kPolygonMeshFlag);
  WriteIntGroup(file, 71, m_iM);
  WriteIntGroup(file, 72, m_iN);
  for (int i = 0; i < m_iM; ++i) {
    for (int j = 0; j < m_iN; ++j) {
      WriteTextGroup(file, 0, "VERTEX");
      WriteTextGroup(file, 8, GetLayerName());
      WritePointGroup(file, 10, dxfFile.Map(GetVertex(i, j)));
      WriteIntGroup(file, 70, 64);
    }
  }
  WriteTextGroup(file, 0, "SEQEND");
}

std::unique_ptr<CDxfEntity> CDxfPolygonMesh::Clone() const { return std::make_unique<CDxfPolygonMesh>(*this); }

int CDxfPolygonMesh::GetType() const { return kDxfPolygonMesh; }

void CDxfPolygonMesh::ApplyFileTransform(const DxfFileTransform& dxfFile) {
  for (CVec& v : m_aVertices) v = dxfFile.Map(v);
  m_vEmptySlot = dxfFile.Map(m_vEmptySlot);
}

void CDxfPolygonMesh::GetExtents(CVec& min, CVec& max) const {
  if (!m_bGrid || m_iSlots == 0) return;
  constexpr double kBig = std::numeric_limits<double>::max();
  min.SetXYZ(kBig, kBig, 0.0);
  max.SetXYZ(-kBig, -kBig, 0.0);
  auto take = [&](const CVec& v) {
    min.x = std::min(min.x, v.x);
    min.y = std::min(min.y, v.y);
    max.x = std::max(max.x, v.x);
    max.y = std::max(max.y, v.y);
  };
  for (const CVec& v : m_aVertices) take(v);
  if (static_cast<std::int64_t>(m_aVertices.size()) < m_iSlots) take(m_vEmptySlot);
}

}  // namespace brisol
