// CDxfFile: the sections of a drawing and the tables.
#include <climits>

#include "dxf/DxfFile.h"
#include "logger/Trace.h"

namespace brisol {
namespace {

// |v| for a group value; the most negative int gives the largest.
int AbsValue(int v) { return v >= 0 ? v : (v == INT_MIN ? INT_MAX : -v); }
// The bits of |v| as an unsigned word.
unsigned AbsBits(int v) { return v >= 0 ? static_cast<unsigned>(v) : 0u - static_cast<unsigned>(v); }

}  // namespace

bool CDxfFile::ReadSection() {
  if (!ReadGroup(2)) {
    TraceMsg("DXF error: Expected a group 2\nbut not found, line %d of <%s>", GetLineCount(), GetFileName().c_str());
    return false;
  }
  const std::string& name = m_groups.Text();
  if (name == "HEADER") return SkipSection("DXF Error, while reading Header section\nline %d of file <%s>");
  if (name == "TABLES") return ReadTablesSection();
  if (name == "BLOCKS") return ReadBlocksSection();
  if (name == "ENTITIES") return ReadEntitiesSection();
  if (name == "CLASSES" || name == "OBJECTS") {
    return SkipSection("DXF Error, while skipping a section\nline %d of file <%s>");
  }
  TraceMsg("DXF error: Bad section (%s) in\n<%s>,line %d", name.c_str(), GetFileName().c_str(), GetLineCount());
  return false;
}

bool CDxfFile::SkipSection(const char* errorFormat) {
  while (ReadGroup(-1)) {
    if (m_groups.Is0("ENDSEC")) return true;
  }
  TraceMsg(errorFormat, GetLineCount(), GetFileName().c_str());
  return false;
}

bool CDxfFile::ReadTablesSection() {
  if (!ReadGroup(0)) return false;
  for (;;) {
    if (m_groups.TextIs("TABLE")) {
      if (!ReadTable()) return false;
    } else if (m_groups.TextIs("ENDSEC")) {
      return true;
    } else {
      TraceMsg("DXF: Missing table in <%s>", GetFileName().c_str());
    }
    if (!ReadGroup(0)) return false;
  }
}

bool CDxfFile::ReadTable() {
  if (!ReadGroup(2)) {
    TraceMsg("DXF Error: reading tables section");
    return false;
  }
  if (m_groups.TextIs("LAYER")) return ReadLayerTable();
  const std::string tableName = m_groups.Text();
  return ReadOtherTable(tableName);
}

bool CDxfFile::ReadOtherTable(const std::string& tableName) {
  // The value is compared whatever its code.
  while (ReadGroup(-1)) {
    if (m_groups.TextIs("ENDTAB")) return true;
  }
  TraceMsg("ReadOtherTable(%s), ReadGroup failed with code %d at line %d.", tableName.c_str(), GetGroupCode(),
           GetLineCount());
  return false;
}

bool CDxfFile::ReadLayerTable() {
  // The table's own header groups come first.
  do {
    if (!ReadGroup(-1)) return false;
  } while (GetGroupCode() != 0);
  if (m_groups.TextIs("ENDTAB")) return true;

  // One LAYER record after the other. The name and colour carry over to the
  // next record when it does not give its own.
  std::string name = "0";
  int colour = 7;
  bool visible = true;
  for (;;) {
    if (!ReadGroup(-1)) {
      TraceMsg("DXF Error getting layer entity group");
      return false;
    }
    switch (GetGroupCode()) {
      case 2:
        name = m_groups.Text();
        break;
      case 62:
        colour = AbsValue(m_groups.Int());
        if (m_groups.Int() < 0) visible = false;
        break;
      case 70:
        if (AbsBits(m_groups.Int()) & 1u) visible = false;  // frozen
        break;
      case 0:
        m_layers.AddLayer(name.c_str(), colour, kDxfPenSolid, visible);  // a refused layer is no error
        visible = true;
        if (m_groups.TextIs("ENDTAB")) return true;
        break;
      default:
        break;
    }
  }
}

bool CDxfFile::ReadEntitiesSection() {
  if (!ReadGroup(0)) {
    TraceMsg("DXF error: reading entities section, expected group 0,\nline %d of %s", GetLineCount(),
             GetFileName().c_str());
    return false;
  }
  // Every reader returns with the group that ended its entity already read;
  // that group is dispatched next. A reader that succeeded at the end of the
  // input (LWPOLYLINE does) ends the section, which then has no ENDSEC.
  bool ok = true;
  while (ok && m_groups.LastReadOk()) {
    if (m_groups.TextIs("ENDSEC")) return true;
    const EntityReader reader = FindEntityReader(m_groups.Text(), false);
    ok = reader != nullptr ? ReadEntity(reader, nullptr) : SkipEntity();
  }
  return false;
}

}  // namespace brisol
