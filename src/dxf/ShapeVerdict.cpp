#include "dxf/ShapeVerdict.h"

#include <cmath>
#include <limits>

#include "dxf/DxfLayer.h"

namespace brisol {
namespace {

bool IsDrawnType(int type) { return type == kDxfLine || type == kDxfPolyline || type == kDxfCircle; }

// Whether the entity's own box reaches kLeastDrawnExtent across in x or y.
bool HasSize(const CDxfEntity& entity) {
  constexpr double kBig = std::numeric_limits<double>::max();
  CVec min(kBig, kBig, kBig), max(-kBig, -kBig, -kBig);
  entity.GetExtents(min, max);
  const double across = std::fmax(max.x - min.x, max.y - min.y);
  return std::isfinite(across) && across >= kLeastDrawnExtent;
}

}  // namespace

ShapeVerdict JudgeShape(const CEntList& drawing) {
  if (drawing.GetCount() == 0) return ShapeVerdict::kEmpty;
  bool drawnType = false, visible = false;
  for (int i = 0; i < drawing.GetCount(); ++i) {
    const CDxfEntity* entity = drawing.GetEntity(i);
    if (entity == nullptr || !IsDrawnType(entity->GetType())) continue;
    drawnType = true;
    const CDxfLayer* layer = entity->GetLayer();
    if (layer != nullptr && !layer->IsVisible()) continue;
    visible = true;
    if (HasSize(*entity)) return ShapeVerdict::kUsable;
  }
  if (!drawnType) return ShapeVerdict::kNoUsefulEntities;
  return visible ? ShapeVerdict::kNoSize : ShapeVerdict::kAllHidden;
}

const char* ShapeVerdictText(ShapeVerdict verdict) {
  switch (verdict) {
    case ShapeVerdict::kUsable:
      return "";
    case ShapeVerdict::kEmpty:
      return "it holds no entities";
    case ShapeVerdict::kNoUsefulEntities:
      return "it holds no LINE, POLYLINE or CIRCLE";
    case ShapeVerdict::kAllHidden:
      return "its LINE, POLYLINE and CIRCLE entities are all on layers that are off or frozen";
    case ShapeVerdict::kNoSize:
      return "its LINE, POLYLINE and CIRCLE entities have no size";
  }
  return "";
}

}  // namespace brisol
