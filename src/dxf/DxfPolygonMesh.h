// CDxfPolygonMesh (type 8): an M x N grid of vertices, row by row (vertex
// (i, j) at i x N + j). It draws nothing.
//
// Sizes are fixed by the first vertex: the grid then has the M x N slots
// known at that moment; later vertices beyond it, every vertex when M or N
// was not yet given, and later changes of M or N are refused with a trace.
// Slots not (yet) filled read as zero; storage grows only with the vertices
// actually given, so a huge M x N costs no memory up front.
#pragma once

#include <cstdint>
#include <vector>

#include "dxf/DxfEntity.h"

namespace brisol {

class CDxfPolygonMesh : public CDxfEntity {
 public:
  // Largest M or N taken (DXF keeps them in 16-bit groups).
  static constexpr int kMaxCount = 32767;
  // Flag bits of the POLYLINE flag word.
  static constexpr int kClosedInM = 1;
  static constexpr int kPolygonMeshFlag = 16;
  static constexpr int kClosedInN = 32;

  CDxfPolygonMesh() = default;

  void WriteDxf(std::FILE* file, const DxfFileTransform& dxfFile) const override;
  std::unique_ptr<CDxfEntity> Clone() const override;
  int GetType() const override;
  void ApplyFileTransform(const DxfFileTransform& dxfFile) override;
  void GetExtents(CVec& min, CVec& max) const override;

  // Set a count (0..32767) and recompute the face count. Refused with a
  // trace for a count out of range or once vertices are stored for another
  // size.
  void SetM(int m);
  void SetN(int n);
  // Keeps the POLYLINE flag word (and recomputes the face count).
  void SetFlags(int flags);
  // Stores v in the next slot (the grid is sized by the first call).
  void AddVertex(const CVec& v);

  int GetM() const { return m_iM; }
  int GetN() const { return m_iN; }
  int GetFlags() const { return m_iFlags; }
  int GetFaceCount() const { return m_iFaceCount; }
  // The number of vertices stored so far.
  int GetVertexCount() const { return static_cast<int>(m_aVertices.size()); }
  // Whether the grid exists (a first vertex arrived).
  bool HasGrid() const { return m_bGrid; }
  // The number of slots of the grid (M x N at the first vertex).
  std::int64_t GetSlotCount() const { return m_iSlots; }
  // Vertex (i, j); the zero vector (moved by the file transform like every
  // slot) for a slot not filled, or outside the grid.
  CVec GetVertex(int i, int j) const;

 private:
  CVec SlotValue(std::int64_t k) const;
  void UpdateFaceCount();

  int m_iM = 0;
  int m_iN = 0;
  int m_iFaceCount = 0;
  int m_iFlags = 0;
  bool m_bGrid = false;
  std::int64_t m_iSlots = 0;
  std::vector<CVec> m_aVertices;  // the first slots that were given
  CVec m_vEmptySlot;              // what the other slots hold
};

}  // namespace brisol
