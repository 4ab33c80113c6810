// CDxfFile: the BLOCKS section.
#include "dxf/DxfFile.h"
#include "dxf/DxfRetention.h"
#include "logger/Trace.h"

namespace brisol {

bool CDxfFile::ReadBlocksSection() {
  if (ReadBlocksEntries()) return true;
  TraceMsg("***ERROR***No ENDSEC found in BLOCKS section\n");
  return false;
}

bool CDxfFile::ReadBlocksEntries() {
  if (!ReadGroup(0)) return false;
  while (m_groups.TextIs("BLOCK")) {
    if (!ReadBlock()) return false;
    // The ENDBLK record's own groups.
    do {
      if (!ReadGroup(-1)) return false;
    } while (GetGroupCode() != 0);
  }
  if (m_groups.TextIs("ENDSEC")) return true;
  TraceMsg("DXF error: MissingBlock at %d of %s", GetLineCount(), GetFileName().c_str());
  return false;
}

bool CDxfFile::ReadBlock() {
  CDxfBlock block;
  CVec base;
  bool ok = ReadGroup(-1);
  while (ok) {
    if (GetGroupCode() == 0) {
      if (m_groups.TextIs("ENDBLK")) break;
      // An entity of the block; its reader returns with the next code-0
      // group read. A reader that succeeded at the end of the input ends
      // the block as a failed read.
      const EntityReader reader = FindEntityReader(m_groups.Text(), true);
      ok = reader != nullptr ? ReadEntity(reader, &block) : SkipEntity();
      ok = ok && m_groups.LastReadOk();
      continue;
    }
    switch (GetGroupCode()) {
      case 2:
        block.SetName(m_groups.Text().c_str());
        break;
      case 8:
        block.SetLayer(m_groups.Text().c_str());
        break;
      case 10:
        base.x = m_groups.Double();
        break;
      case 20:
        base.y = m_groups.Double();
        break;
      case 30:
        base.z = m_groups.Double();
        break;
      default:
        break;
    }
    ok = ReadGroup(-1);
  }
  if (!ok) return false;
  if (block.GetName().empty()) return true;  // dropped without failure
  if (!IsDrawingNumber(base.x) || !IsDrawingNumber(base.y) || !IsDrawingNumber(base.z)) {
    // Every entity of the block would be moved by it: dropped without failure.
    TraceMsg("BLOCK %s ending at line %d of <%s> dropped: its base point is not finite or beyond %g",
             block.GetName().c_str(), GetLineCount(), GetFileName().c_str(), kMaxDrawingNumber);
    return true;
  }
  block.SetBasePoint(base);
  if (!block.GetLayer().empty()) {
    block.SetLayer(m_pCurrentLayer != nullptr ? m_pCurrentLayer->GetReportedName() : "0");
  }
  const std::string name = block.GetName();
  if (!m_blocks.AddBlock(std::move(block))) return false;
  NoteBlockBoxes(m_blocks.FindBlock(name.c_str()));
  return true;
}

}  // namespace brisol
