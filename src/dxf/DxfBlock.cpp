#include "dxf/DxfBlock.h"

#include "dxf/DxfStrings.h"
#include "logger/Trace.h"

namespace brisol {

CDxfBlock::CDxfBlock() : m_strLayer("0") {}

void CDxfBlock::SetName(const char* name) {
  if (name == nullptr || *name == '\0') {
    TraceMsg("CDxfBlock::SetName (empty)");
    return;
  }
  m_strName = CopyLimited(name, kMaxNameChars);
}

void CDxfBlock::SetLayer(const char* layerName) {
  if (layerName == nullptr || *layerName == '\0') {
    TraceMsg("CDxfBlock::SetLayer (empty)");
    return;
  }
  m_strLayer = CopyLimited(layerName, kMaxNameChars);
}

}  // namespace brisol
