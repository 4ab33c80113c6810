// CDxfPolyfaceMesh (type 7): vertices numbered from 1 as in the file (slot 0
// holds no vertex and stays zero) and faces of up to four vertex numbers.
// It draws nothing; the reader joins coplanar triangle pairs into
// quadrilaterals (MergeTriangles) and may turn all faces round (FlipFaces).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "dxf/DxfEntity.h"

namespace brisol {

// One face record: how many vertex numbers are used (0 to 4; 0 marks a face
// merged away) and the numbers, always positive (the file's sign, which
// marks an invisible edge, is dropped by the reader).
struct DxfFace {
  std::int32_t count = 0;
  std::int32_t v[4] = {0, 0, 0, 0};
};
static_assert(sizeof(DxfFace) == 20);

class CDxfPolyfaceMesh : public CDxfEntity {
 public:
  CDxfPolyfaceMesh() = default;

  void WriteDxf(std::FILE* file, const DxfFileTransform& dxfFile) const override;
  std::unique_ptr<CDxfEntity> Clone() const override;
  int GetType() const override;
  void ApplyFileTransform(const DxfFileTransform& dxfFile) override;
  void GetExtents(CVec& min, CVec& max) const override;

  // Stores v as the next vertex (the first becomes number 1).
  void AddVertex(const CVec& v);
  // Appends a copy of the record. A record whose count is outside 0..4, or
  // that uses a vertex number outside 1..(vertices so far), is refused with
  // a trace and the mesh stays as it was; answers whether it was kept.
  bool AddFace(const DxfFace& face);

  // The number of vertex slots (vertices + 1; 0 before the first vertex).
  int GetSlotCount() const { return static_cast<int>(m_aVertices.size()); }
  // The number of vertices n (numbered 1..n).
  int GetVertexCount() const { return m_aVertices.empty() ? 0 : GetSlotCount() - 1; }
  int GetFaceCount() const { return static_cast<int>(m_aFaces.size()); }
  // Face f, or an empty record (count 0) outside 0..count-1.
  DxfFace GetFace(int f) const;
  // The number of faces whose count is not 0.
  int GetUsedFaceCount() const;

  // Vertex number i for 1 <= i <= n; the zero vector, with a trace,
  // otherwise.
  CVec GetPoint(int i) const;
  // The points of face f's numbers; answers how many (0 for no such face).
  int GetFacePoints(std::array<CVec, 4>& points, int f) const;
  // The unit normal (P - Q) x (P - R) of face f, with P, Q the points of its
  // first two numbers and R of its third (triangle) or fourth
  // (quadrilateral). (1, 0, 0) for a degenerate face or no such face.
  CVec FaceNormal(int f) const;
  // Joins every pair of triangles that share an edge and lie in one plane
  // (either winding) into a quadrilateral that keeps the first triangle's
  // order; the second triangle's count becomes 0.
  void MergeTriangles();
  // Reverses the numbers of every face with 3 or 4 numbers.
  void FlipFaces();

 private:
  // Merges face j into face i (both triangles sharing two numbers).
  void MergeFaces(int i, int j);

  std::vector<CVec> m_aVertices;  // slot 0 unused
  std::vector<DxfFace> m_aFaces;
};

}  // namespace brisol
