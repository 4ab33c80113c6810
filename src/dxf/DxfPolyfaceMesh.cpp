#include "dxf/DxfPolyfaceMesh.h"

#include <algorithm>
#include <limits>
#include <unordered_map>

#include "dxf/DxfWriter.h"
#include "logger/Trace.h"

namespace brisol {

void CDxfPolyfaceMesh::AddVertex(const CVec& v) {
  if (m_aVertices.empty()) m_aVertices.push_back(kZeroVec);  // slot 0 holds no vertex
  m_aVertices.push_back(v);
}

bool CDxfPolyfaceMesh::AddFace(const DxfFace& face) {
  if (face.count < 0 || face.count > 4) {
    TraceMsg("CDxfPolyfaceMesh::AddFace, bad number of vertices (%d)", face.count);
    return false;
  }
  const int n = GetVertexCount();
  for (int k = 0; k < face.count; ++k) {
    if (face.v[k] < 1 || face.v[k] > n) {
      TraceMsg("CDxfPolyfaceMesh::AddFace, vertex number %d out of range 1 to %d", face.v[k], n);
      return false;
    }
  }
  m_aFaces.push_back(face);
  return true;
}

DxfFace CDxfPolyfaceMesh::GetFace(int f) const {
  if (f < 0 || f >= GetFaceCount()) return DxfFace{};
  return m_aFaces[static_cast<std::size_t>(f)];
}

int CDxfPolyfaceMesh::GetUsedFaceCount() const {
  return static_cast<int>(
      std::count_if(m_aFaces.begin(), m_aFaces.end(), [](const DxfFace& face) { return face.count != 0; }));
}

CVec CDxfPolyfaceMesh::GetPoint(int i) const {
  if (m_aVertices.empty()) {
    TraceMsg("Mesh GetPoint(%d), but m_pPoints == NULL", i);
    return kZeroVec;
  }
  if (i < 1 || i >= GetSlotCount()) {
    TraceMsg("GetPoint(%d) out of range. Correct values\nfor this mesh are between 1 and %d", i, GetVertexCount());
    return kZeroVec;
  }
  return m_aVertices[static_cast<std::size_t>(i)];
}

int CDxfPolyfaceMesh::GetFacePoints(std::array<CVec, 4>& points, int f) const {
  if (f < 0 || f >= GetFaceCount()) return 0;
  const DxfFace& face = m_aFaces[static_cast<std::size_t>(f)];
  const int count = std::clamp(face.count, 0, 4);
  for (int k = 0; k < count; ++k) points[static_cast<std::size_t>(k)] = GetPoint(face.v[k]);
  return count;
}

CVec CDxfPolyfaceMesh::FaceNormal(int f) const {
  if (f < 0 || f >= GetFaceCount()) return kUnitX;
  const DxfFace& face = m_aFaces[static_cast<std::size_t>(f)];
  const CVec p = GetPoint(face.v[0]);
  const CVec q = GetPoint(face.v[1]);
  const CVec r = GetPoint(face.count == 4 ? face.v[3] : face.v[2]);
  CVec normal = CVec::Cross(p - q, p - r);
  normal.Normalize();
  return normal;
}

void CDxfPolyfaceMesh::FlipFaces() {
  for (DxfFace& face : m_aFaces)
    if (face.count == 3 || face.count == 4) std::reverse(face.v, face.v + face.count);
}

namespace {

bool SharesEdge(const DxfFace& a, const DxfFace& b) {
  int shared = 0;
  for (int k = 0; k < 3; ++k)
    if (a.v[k] == b.v[0] || a.v[k] == b.v[1] || a.v[k] == b.v[2]) ++shared;
  return shared == 2;
}

bool HasRepeatedNumber(const DxfFace& f) { return f.v[0] == f.v[1] || f.v[1] == f.v[2] || f.v[0] == f.v[2]; }

std::uint64_t EdgeKey(int a, int b) {
  const auto lo = static_cast<std::uint32_t>(std::min(a, b));
  const auto hi = static_cast<std::uint32_t>(std::max(a, b));
  return (static_cast<std::uint64_t>(lo) << 32) | hi;
}

}  // namespace

// Face i is compared with the later triangles in file order. Only triangles
// that share an edge with it can merge, so they are found through an index
// of edges instead of a scan of every later face; a triangle that repeats a
// number (which can count a single shared vertex twice) is compared with
// every later face.
void CDxfPolyfaceMesh::MergeTriangles() {
  const int faces = GetFaceCount();
  std::unordered_map<std::uint64_t, std::vector<int>> edgeFaces;
  for (int f = 0; f < faces; ++f) {
    const DxfFace& face = m_aFaces[static_cast<std::size_t>(f)];
    if (face.count != 3) continue;
    edgeFaces[EdgeKey(face.v[0], face.v[1])].push_back(f);
    edgeFaces[EdgeKey(face.v[1], face.v[2])].push_back(f);
    edgeFaces[EdgeKey(face.v[0], face.v[2])].push_back(f);
  }

  std::vector<int> candidates;
  for (int i = 0; i < faces; ++i) {
    const DxfFace& a = m_aFaces[static_cast<std::size_t>(i)];
    if (a.count != 3) continue;
    candidates.clear();
    if (HasRepeatedNumber(a)) {
      for (int j = i + 1; j < faces; ++j) candidates.push_back(j);
    } else {
      for (const std::uint64_t key : {EdgeKey(a.v[0], a.v[1]), EdgeKey(a.v[1], a.v[2]), EdgeKey(a.v[0], a.v[2])}) {
        const auto it = edgeFaces.find(key);
        if (it == edgeFaces.end()) continue;
        for (int j : it->second)
          if (j > i) candidates.push_back(j);
      }
      std::sort(candidates.begin(), candidates.end());
      candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
    }

    const CVec ni = FaceNormal(i);
    for (int j : candidates) {
      const DxfFace& b = m_aFaces[static_cast<std::size_t>(j)];
      if (b.count != 3 || !SharesEdge(a, b)) continue;
      const CVec nj = FaceNormal(j);
      const bool agree = (ni - nj).Length() <= 0.01 || (ni + nj).Length() <= 0.01;
      if (!agree) continue;
      MergeFaces(i, j);
      break;
    }
  }
}

void CDxfPolyfaceMesh::MergeFaces(int i, int j) {
  DxfFace& a = m_aFaces[static_cast<std::size_t>(i)];
  DxfFace& b = m_aFaces[static_cast<std::size_t>(j)];
  auto inA = [&a](int number) { return a.v[0] == number || a.v[1] == number || a.v[2] == number; };

  int fourth = -1;
  for (int k = 0; k < 3 && fourth < 0; ++k)
    if (!inA(b.v[k])) fourth = b.v[k];
  if (fourth < 0) {
    TraceMsg("MergeTriangles, Error: could not find 4th point");
    return;
  }

  // The shared numbers in face i's order, and where they stand in face i.
  int common[3] = {0, 0, 0};
  int nCommon = 0;
  for (int k = 0; k < 3; ++k)
    if (a.v[k] == b.v[0] || a.v[k] == b.v[1] || a.v[k] == b.v[2]) common[nCommon++] = a.v[k];
  int d = -1, e = -1;
  for (int k = 0; k < 3; ++k) {
    if (d < 0 && a.v[k] == common[0]) d = k;
    if (e < 0 && a.v[k] == common[1]) e = k;
  }
  if (d < 0 || e < 0) {
    TraceMsg(
        "MergeTriangles, Error: could not find shared edge.\ni4thPoint= %d\nCommonPoints= [%d %d %d]\n"
        "SharedPoints= [%d %d]",
        fourth, common[0], common[1], common[2], d, e);
    return;
  }
  const int x = a.v[0], y = a.v[1], z = a.v[2];
  if (d == 0 && e == 1) {
    a.v[0] = x;
    a.v[1] = fourth;
    a.v[2] = y;
    a.v[3] = z;
  } else if (d == 1 && e == 2) {
    a.v[0] = x;
    a.v[1] = y;
    a.v[2] = fourth;
    a.v[3] = z;
  } else if (d == 0 && e == 2) {
    a.v[0] = x;
    a.v[1] = y;
    a.v[2] = z;
    a.v[3] = fourth;
  } else {
    TraceMsg("MergeTriangles, Error: while inserting 4th point");
    return;
  }
  a.count = 4;
  b.count = 0;
}

void CDxfPolyfaceMesh::WriteDxf(std::FILE* file, const DxfFileTransform& dxfFile) const {
  if (GetVertexCount() == 0 || m_aFaces.empty()) return;
  WriteTextGroup(file, 0, "POLYLINE");
  WriteEntityHead(file, *this);
  WriteIntGroup(file, 66, 1);
  WriteIntGroup(file, 70, 64);
  WriteIntGroup(file, 71, GetVertexCount());
  WriteIntGroup(file, 72, GetUsedFaceCount());
  for (int i = 1; i <= GetVertexCount(); ++i) {
    WriteTextGroup(file, 0, "VERTEX");
    WriteEntityHead(file, *this);
    WritePointGroup(file, 10, dxfFile.Map(m_aVertices[static_cast<std::size_t>(i)]));
    WriteIntGroup(file, 70, 192);
  }
  for (const DxfFace& face : m_aFaces) {
    if (face.count == 0) continue;
    WriteTextGroup(file, 0, "VERTEX");
    WriteEntityHead(file, *this);
    WritePointGroup(file, 10, 0.0, 0.0, 0.0);
    for (int k = 0; k < face.count && k < 4; ++k) WriteIntGroup(file, 71 + k, face.v[k]);
    WriteIntGroup(file, 70, 128);
  }
  WriteTextGroup(file, 0, "SEQEND");
}

std::unique_ptr<CDxfEntity> CDxfPolyfaceMesh::Clone() const { return std::make_unique<CDxfPolyfaceMesh>(*this); }

int CDxfPolyfaceMesh::GetType() const { return kDxfPolyfaceMesh; }

void CDxfPolyfaceMesh::ApplyFileTransform(const DxfFileTransform& dxfFile) {
  for (std::size_t i = 1; i < m_aVertices.size(); ++i) m_aVertices[i] = dxfFile.Map(m_aVertices[i]);
}

void CDxfPolyfaceMesh::GetExtents(CVec& min, CVec& max) const {
  if (GetVertexCount() == 0) return;
  constexpr double kBig = std::numeric_limits<double>::max();
  min.SetXYZ(kBig, kBig, kBig);
  max.SetXYZ(-kBig, -kBig, -kBig);
  for (std::size_t i = 1; i < m_aVertices.size(); ++i) {
    const CVec& v = m_aVertices[i];
    min.SetXYZ(std::min(min.x, v.x), std::min(min.y, v.y), std::min(min.z, v.z));
    max.SetXYZ(std::max(max.x, v.x), std::max(max.y, v.y), std::max(max.z, v.z));
  }
}

}  // namespace brisol
