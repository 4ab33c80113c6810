// CDxfFile: what measuring the extents of INSERT entities costs. Every block
// notes how many entity boxes one INSERT of it visits, nested blocks
// included; top-level INSERTs are admitted while their sum stays within
// kMaxInsertBoxes, so a small file of nested blocks cannot make the
// drawing's extents take minutes.
#include <algorithm>

#include "dxf/DxfEntities.h"
#include "dxf/DxfFile.h"
#include "logger/Trace.h"

namespace brisol {

std::int64_t CDxfFile::InsertBoxes(const CDxfBlock* block) const {
  if (block == nullptr) return 1;
  const auto it = m_blockBoxes.find(block);
  return it == m_blockBoxes.end() ? 1 : it->second;
}

void CDxfFile::NoteBlockBoxes(const CDxfBlock* block) {
  if (block == nullptr) return;
  // One INSERT costs at most what a single extents question may visit.
  const std::int64_t cap = CDxfInsert::kMaxNestedBoxes + 1;
  std::int64_t boxes = 1;
  const CEntList& list = block->GetEntList();
  for (int i = 0; i < list.GetCount() && boxes < cap; ++i) {
    const CDxfEntity* entity = list.GetEntity(i);
    boxes += 1;
    if (entity != nullptr && entity->GetType() == kDxfInsert) {
      boxes += InsertBoxes(static_cast<const CDxfInsert*>(entity)->GetBlock());
    }
  }
  m_blockBoxes[block] = std::min(boxes, cap);
}

bool CDxfFile::AdmitTopLevelInsert(const CDxfBlock* block) {
  const std::int64_t cost = InsertBoxes(block);
  if (m_iInsertBoxes + cost > kMaxInsertBoxes) {
    TraceMsg(
        "INSERT of block %s dropped: the drawing's block references would cost more than %lld entity boxes "
        "to measure, line %d of %s",
        block != nullptr ? block->GetName().c_str() : "", static_cast<long long>(kMaxInsertBoxes), GetLineCount(),
        GetFileName().c_str());
    return false;
  }
  m_iInsertBoxes += cost;
  return true;
}

}  // namespace brisol
