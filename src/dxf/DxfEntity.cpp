#include "dxf/DxfEntity.h"

#include "dxf/DxfLayer.h"
#include "dxf/FigureSink.h"
#include "logger/Trace.h"

namespace brisol {

const char* DxfEntityTypeName(int type) {
  static const char* const kNames[ikNumDxfEntityTypes] = {"POINT", "LINE", "POLYLINE", "CIRCLE",      "ELLIPSE",
                                                          "ARC",   "TEXT", "POLYFACE", "POLYGONMESH", "INSERT"};
  if (type < 0 || type >= ikNumDxfEntityTypes) return "UNKNOWN";
  return kNames[type];
}

void CDxfEntity::DrawIntoDC(DrawContext& dc, const CMatrix& matrix) const {
  DeviceFigureSink sink(dc);
  DrawFigures(sink, matrix);
}

void CDxfEntity::SetLayer(const CDxfLayer* layer) {
  if (layer == nullptr) {
    TraceMsg("CDxfEntity::SetLayer, bad pointer:%p", static_cast<const void*>(layer));
    return;
  }
  m_pLayer = layer;
}

const char* CDxfEntity::GetLayerName() const { return m_pLayer == nullptr ? "0" : m_pLayer->GetReportedName(); }

void CDxfEntity::SetColourNumber(int n) {
  if (n >= 1 && n <= 256) m_iColourNumber = n;
}

}  // namespace brisol
