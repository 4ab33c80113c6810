#include <utility>

#include "dxf/DxfBlock.h"
#include "dxf/DxfStrings.h"
#include "logger/Trace.h"

namespace brisol {

int CBlockTable::Admit(const CDxfBlock& block) {
  if (GetCount() >= kMaxBlocks) {
    TraceMsg("Block buffer overflow");
    ++m_dropped;
    return 1;
  }
  if (FindBlock(block.GetName().c_str()) != nullptr) {
    TraceMsg("Block called %s already exists", block.GetName().c_str());
    return 2;
  }
  return 0;
}

bool CBlockTable::AddBlock(const CDxfBlock& block) {
  switch (Admit(block)) {
    case 1:
      return true;  // dropped, reading goes on
    case 2:
      return false;
    default:
      break;
  }
  m_apBlocks.push_back(std::make_unique<CDxfBlock>(block));
  return true;
}

bool CBlockTable::AddBlock(CDxfBlock&& block) {
  switch (Admit(block)) {
    case 1:
      return true;
    case 2:
      return false;
    default:
      break;
  }
  m_apBlocks.push_back(std::make_unique<CDxfBlock>(std::move(block)));
  return true;
}

const CDxfBlock* CBlockTable::FindBlock(const char* name) const {
  if (name == nullptr) return nullptr;
  for (const auto& block : m_apBlocks)
    if (EqualNoCase(block->GetName(), name)) return block.get();
  return nullptr;
}

CDxfBlock* CBlockTable::FindBlock(const char* name) {
  return const_cast<CDxfBlock*>(std::as_const(*this).FindBlock(name));
}

const CDxfBlock* CBlockTable::GetBlock(int i) const {
  if (i < 0 || i >= GetCount()) return nullptr;
  return m_apBlocks[static_cast<std::size_t>(i)].get();
}

}  // namespace brisol
