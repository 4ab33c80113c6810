// CDxfInsert (type 9): a reference to a block of the same drawing, placed
// with a scale, a rotation (degrees) and an insertion point. It draws
// nothing; its extents are the block's box through the placement. Nested
// references are followed to a bounded depth and amount of work, so a
// reference cycle or an explosion of nested blocks cannot run away.
#pragma once

#include "dxf/DxfEntity.h"

namespace brisol {

class CDxfBlock;

class CDxfInsert : public CDxfEntity {
 public:
  // How deep block references inside blocks are followed.
  static constexpr int kMaxNesting = 32;
  // How many entity boxes one extents question may visit in nested blocks.
  static constexpr long kMaxNestedBoxes = 1000000;

  CDxfInsert() = default;

  void WriteDxf(std::FILE* file, const DxfFileTransform& dxfFile) const override;
  std::unique_ptr<CDxfEntity> Clone() const override;
  int GetType() const override;
  void ApplyFileTransform(const DxfFileTransform& dxfFile) override;
  void GetExtents(CVec& min, CVec& max) const override;

  void SetInsertionPoint(const CVec& p) { m_vInsertion = p; }
  const CVec& GetInsertionPoint() const { return m_vInsertion; }
  void SetScale(const CVec& s) { m_vScale = s; }
  const CVec& GetScale() const { return m_vScale; }
  void SetRotation(double degrees) { m_dRotation = degrees; }
  double GetRotation() const { return m_dRotation; }
  // The block lives in the drawing's block table (not owned).
  void SetBlock(const CDxfBlock* block) { m_pBlock = block; }
  const CDxfBlock* GetBlock() const { return m_pBlock; }

 private:
  CVec m_vInsertion;
  CVec m_vScale{1, 1, 1};
  double m_dRotation = 0.0;
  const CDxfBlock* m_pBlock = nullptr;
};

}  // namespace brisol
