// Block definitions: CDxfBlock (name, layer name, base point and its own
// entity list) and CBlockTable, the drawing's blocks (at most 1500). The
// table grows with the blocks actually defined; a block keeps its address
// for as long as the table holds it, so INSERT entities may point at it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "dxf/EntList.h"
#include "dxf/Vec.h"

namespace brisol {

class CDxfBlock {
 public:
  static constexpr std::size_t kMaxNameChars = 256;

  // No name, layer "0", base point zero, no entities.
  CDxfBlock();
  // Name, layer name and base point, and clones of the source's entities.
  CDxfBlock(const CDxfBlock& other) = default;
  CDxfBlock& operator=(const CDxfBlock& other) = default;
  CDxfBlock(CDxfBlock&&) noexcept = default;
  CDxfBlock& operator=(CDxfBlock&&) noexcept = default;

  // A null or empty text is refused with a trace and changes nothing.
  void SetName(const char* name);
  void SetLayer(const char* layerName);
  void SetBasePoint(const CVec& p) { m_vBase = p; }

  const std::string& GetName() const { return m_strName; }
  const std::string& GetLayer() const { return m_strLayer; }
  const CVec& GetBasePoint() const { return m_vBase; }
  CEntList& GetEntList() { return m_entities; }
  const CEntList& GetEntList() const { return m_entities; }

 private:
  std::string m_strName;
  std::string m_strLayer;
  CVec m_vBase;
  CEntList m_entities;
};

class CBlockTable {
 public:
  static constexpr int kMaxBlocks = 1500;

  CBlockTable() = default;
  CBlockTable(const CBlockTable&) = delete;
  CBlockTable& operator=(const CBlockTable&) = delete;

  // Adds a copy of the block. A full table drops it (traced and counted:
  // the reader tells the count once, naming its file) and answers true, so
  // reading goes on; a block whose name is taken (compared without case) is
  // traced and answers false.
  bool AddBlock(const CDxfBlock& block);
  bool AddBlock(CDxfBlock&& block);
  // The first block of that name (without case), or null.
  CDxfBlock* FindBlock(const char* name);
  const CDxfBlock* FindBlock(const char* name) const;

  int GetCount() const { return static_cast<int>(m_apBlocks.size()); }
  // Block i, or null outside 0..count-1.
  const CDxfBlock* GetBlock(int i) const;
  // The blocks dropped because the table was full.
  int GetDropped() const { return m_dropped; }
  // Destroys every block and its entities.
  void Clear() {
    m_apBlocks.clear();
    m_dropped = 0;
  }

 private:
  // 0: add; 1: full (dropped, answer true); 2: name taken (answer false).
  int Admit(const CDxfBlock& block);

  std::vector<std::unique_ptr<CDxfBlock>> m_apBlocks;
  int m_dropped = 0;
};

}  // namespace brisol
