#include <cstring>
#include <utility>

#include "dxf/DxfLayer.h"
#include "dxf/DxfStrings.h"
#include "logger/Trace.h"

namespace brisol {

CDxfLayer* CLayerTable::AddLayer(const char* name, int colourIndex, int style, bool visible) {
  if (name == nullptr) {
    TraceMsg("AddLayer, bad string pointer");
    return nullptr;
  }
  const std::size_t length = strnlen(name, kMaxNameLength + 1);
  if (length == 0) {
    TraceMsg("AddLayer, empty layer name");
    return nullptr;
  }
  if (length > kMaxNameLength) {
    TraceMsg("AddLayer, layer name too long");
    return nullptr;
  }
  for (auto& layer : m_apLayers) {
    if (EqualNoCase(layer->GetReportedName(), name)) {
      // An existing layer only takes the new colour, on both pens.
      layer->SetColourIndex(colourIndex, 1);
      layer->SetColourIndex(colourIndex, 0);
      return layer.get();
    }
  }
  if (GetCount() >= kMaxLayers) {
    TraceMsg("CLayerTable::AddLayer (%s),\ntoo many layers (%d)", name, kMaxLayers);
    return nullptr;
  }
  auto layer = std::make_unique<CDxfLayer>();
  layer->SetName(name);
  layer->SetVisible(visible);
  layer->SetColourIndex(colourIndex, 1);
  if (colourIndex == 7) layer->SetColour(RGB(0, 0, 0), 1);
  layer->SetStyle(style, 1);
  layer->SetColourIndex(colourIndex, 0);
  layer->SetColour(RGB(0, 0, 0), 0);
  layer->SetStyle(style, 0);
  m_apLayers.push_back(std::move(layer));
  return m_apLayers.back().get();
}

const CDxfLayer* CLayerTable::GetLayerPtrFromName(const char* name) const {
  if (m_apLayers.empty()) {
    TraceMsg("GetLayerPtrFromName, but no layers in table");
    return nullptr;
  }
  if (name == nullptr || *name == '\0') return m_apLayers.front().get();
  for (const auto& layer : m_apLayers)
    if (EqualNoCase(layer->GetReportedName(), name)) return layer.get();
  return m_apLayers.front().get();
}

CDxfLayer* CLayerTable::GetLayerPtrFromName(const char* name) {
  return const_cast<CDxfLayer*>(std::as_const(*this).GetLayerPtrFromName(name));
}

bool CLayerTable::IsLayerVisible(const char* name) const {
  const CDxfLayer* layer = GetLayerPtrFromName(name);
  return layer != nullptr && layer->IsVisible();
}

const CDxfLayer* CLayerTable::GetLayer(int i) const {
  if (i < 0 || i >= GetCount()) return nullptr;
  return m_apLayers[static_cast<std::size_t>(i)].get();
}

CDxfLayer* CLayerTable::GetLayer(int i) { return const_cast<CDxfLayer*>(std::as_const(*this).GetLayer(i)); }

}  // namespace brisol
