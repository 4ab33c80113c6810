#include "dxf/DxfFile.h"

#include <cstring>

#include "dxf/DxfMesh.h"
#include "dxf/DxfStrings.h"
#include "logger/Alerts.h"
#include "logger/Format.h"
#include "logger/Trace.h"

namespace brisol {

CDxfFile::CDxfFile() { Reset(); }

CDxfFile::CDxfFile(const char* fileName, const char* excludedLayerPrefix) {
  Reset();
  ReadFile(fileName, excludedLayerPrefix);
}

CDxfFile::~CDxfFile() = default;

void CDxfFile::Reset() {
  Clear();
  m_blocks.Clear();
  m_blockBoxes.clear();
  m_iInsertBoxes = 0;
  m_bBadNumber = false;
  m_transform = DxfFileTransform{};
  m_groups.Reset();
  m_layers.Clear();
  m_pCurrentLayer = m_layers.AddLayer("0", 7, kDxfPenSolid, true);
  m_strExcludedPrefix.clear();
}

bool CDxfFile::ReadFile(const char* fileName, const char* excludedLayerPrefix) {
  if (fileName == nullptr) {
    TraceMsg("CDxfFile::ReadFile, bad DXF file name");
    return false;
  }
  // A name has no length limit of its own: the system refuses what it cannot open.
  if (*fileName == '\0') {
    TraceMsg("CDxfFile::ReadFile, no filename specified");
    return false;
  }
  TraceMsg("ReadFile(%s) starting... \n", fileName);
  Reset();
  m_strExcludedPrefix = CopyLimited(excludedLayerPrefix, kMaxPathChars);

  if (!m_groups.Open(fileName)) {
    TraceMsg("ERROR: cannot open DXF file %s: %s", fileName, m_groups.OpenProblem().c_str());
    m_strExcludedPrefix.clear();
    return false;
  }

  bool result = false;
  for (;;) {
    if (!ReadGroup(0)) {
      TraceMsg("Expected to read group 0 (line %d)", GetLineCount());
      break;
    }
    if (m_groups.TextIs("SECTION")) {
      if (!ReadSection()) break;
      continue;
    }
    if (m_groups.TextIs("EOF")) {
      result = true;
      break;
    }
    TraceMsg("Missing top level separator in DXF file\nat line %d of %s", GetLineCount(), GetFileName().c_str());
    break;
  }

  m_groups.Close();
  m_strExcludedPrefix.clear();
  if (const int dropped = m_blocks.GetDropped(); dropped > 0) {
    DxfDebugOut("Block buffer overflow: %d blocks of %s beyond the first %d were left out\n", dropped,
                OneLineText(GetFileName()).c_str(), CBlockTable::kMaxBlocks);
  }
  CheckMeshNormals(*this, GetFileName().c_str());
  return result;
}

void CDxfFile::SetCurrentLayer(const char* name) {
  CDxfLayer* layer =
      (name != nullptr && std::strcmp(name, "0") == 0) ? m_layers.GetLayer(0) : m_layers.GetLayerPtrFromName(name);
  if (layer != nullptr) m_pCurrentLayer = layer;
}

int CDxfFile::AddEntity(const CDxfEntity& entity, const char* layerName) {
  if (!m_strExcludedPrefix.empty() && m_pCurrentLayer != nullptr &&
      StartsWithNoCase(m_pCurrentLayer->GetReportedName(), m_strExcludedPrefix)) {
    return 0;
  }
  if (m_pCurrentLayer == nullptr) m_pCurrentLayer = m_layers.GetLayerPtrFromName("0");
  const CDxfLayer* layer = m_pCurrentLayer;
  if (layerName != nullptr) {
    layer = m_layers.GetLayerPtrFromName(layerName);
    if (layer == nullptr) {
      DxfMsgBox("AddEntity, layer %s not found", layerName);
      layer = m_pCurrentLayer;
    }
  }
  return CEntList::AddEntity(&entity, layer);
}

}  // namespace brisol
