#include "dxf/EntList.h"

#include <cmath>
#include <limits>
#include <utility>

#include "dxf/DxfLayer.h"
#include "logger/Logger.h"
#include "logger/Trace.h"
#include "raster/DrawContext.h"

namespace brisol {

CEntList::CEntList(const CEntList& other) { *this = other; }

CEntList& CEntList::operator=(const CEntList& other) {
  if (this == &other) return *this;
  std::vector<std::unique_ptr<CDxfEntity>> copies;
  copies.reserve(other.m_apEntities.size());
  for (const auto& entity : other.m_apEntities)
    if (entity) copies.push_back(entity->Clone());
  m_apEntities = std::move(copies);
  return *this;
}

// The array grows geometrically: appending stays cheap however long the list.
void CEntList::Append(std::unique_ptr<CDxfEntity> entity) { m_apEntities.push_back(std::move(entity)); }

int CEntList::AddEntity(const CDxfEntity* entity, const CDxfLayer* layer) {
  if (entity == nullptr) {
    TraceMsg("CEntList::AddEntity with bad entity pointer");
    return GetCount();
  }
  if (layer == nullptr) {
    TraceMsg("CEntList::AddEntity with bad layer pointer");
    return GetCount();
  }
  std::unique_ptr<CDxfEntity> copy = entity->Clone();
  copy->SetLayer(layer);
  Append(std::move(copy));
  return GetCount();
}

int CEntList::AddEntity(std::unique_ptr<CDxfEntity> entity, const CDxfLayer* layer) {
  if (!entity) {
    TraceMsg("CEntList::AddEntity with bad entity pointer");
    return GetCount();
  }
  if (layer == nullptr) {
    TraceMsg("CEntList::AddEntity with bad layer pointer");
    return GetCount();
  }
  entity->SetLayer(layer);
  Append(std::move(entity));
  return GetCount();
}

const CDxfEntity* CEntList::GetEntity(int i) const {
  if (m_apEntities.empty()) return nullptr;
  if (i < 0 || i >= GetCount()) return m_apEntities.front().get();
  return m_apEntities[static_cast<std::size_t>(i)].get();
}

CDxfEntity* CEntList::GetEntity(int i) { return const_cast<CDxfEntity*>(std::as_const(*this).GetEntity(i)); }

int CEntList::CountOfType(int type) const {
  int count = 0;
  for (const auto& entity : m_apEntities)
    if (entity && entity->GetType() == type) ++count;
  return count;
}

void CEntList::GetExtents(CVec& min, CVec& max) const {
  if (m_apEntities.empty()) {
    min.SetXYZ(0, 0, 0);
    max.SetXYZ(0, 0, 0);
    return;
  }
  constexpr double kBig = std::numeric_limits<double>::max();
  min.SetXYZ(kBig, kBig, kBig);
  max.SetXYZ(-kBig, -kBig, -kBig);
  for (const auto& entity : m_apEntities) {
    if (!entity) continue;
    const CDxfLayer* layer = entity->GetLayer();
    if (layer != nullptr && !layer->IsVisible()) continue;
    // An entity that has no box (an INSERT without block, an empty mesh)
    // leaves these as they are and so adds nothing; a box that is not
    // finite (scales of nested blocks multiplied beyond the doubles) adds
    // nothing either.
    CVec emin(kBig, kBig, kBig), emax(-kBig, -kBig, -kBig);
    entity->GetExtents(emin, emax);
    const bool finite = std::isfinite(emin.x) && std::isfinite(emin.y) && std::isfinite(emin.z) &&
                        std::isfinite(emax.x) && std::isfinite(emax.y) && std::isfinite(emax.z);
    if (!finite) continue;
    if (emin.x < min.x) min.x = emin.x;
    if (emin.y < min.y) min.y = emin.y;
    if (emin.z < min.z) min.z = emin.z;
    if (emax.x > max.x) max.x = emax.x;
    if (emax.y > max.y) max.y = emax.y;
    if (emax.z > max.z) max.z = emax.z;
  }
}

void CEntList::DrawIntoDC(DrawContext& dc, int penIndex, const CMatrix& matrix) const {
  if (m_apEntities.empty()) return;
  const Brush previousBrush = dc.SelectBrush(Brush::Null());
  const Pen previousPen = dc.GetCurrentPen();
  const int previousBkMode = dc.SetBkMode(TRANSPARENT);
  const COLORREF previousTextColour = dc.GetTextColor();

  const CLayerPen* selected = nullptr;
  for (const auto& entity : m_apEntities) {
    if (!entity) {
      TheLogger().Log(kLogError, "DXFLIB: A pointer in the display list is null.\n");
      break;
    }
    const CDxfLayer* layer = entity->GetLayer();
    if (layer == nullptr) {
      TheLogger().Log(kLogError, "DXFLIB: An entity in the display list\nhas a null layer.\n");
      break;
    }
    if (!layer->IsVisible()) continue;
    const CLayerPen& pen = layer->GetLayerPen(penIndex);
    if (&pen != selected) {
      dc.SelectPen(pen.GetPen());
      dc.SetTextColor(layer->GetTextColour());
      selected = &pen;
    }
    entity->DrawIntoDC(dc, matrix);
  }

  dc.SetBkMode(previousBkMode);
  dc.SetTextColor(previousTextColour);
  dc.SelectPen(previousPen);
  dc.SelectBrush(previousBrush);
}

void CEntList::DrawEntitiesIntoDC(DrawContext& dc, const CMatrix& matrix) const {
  for (const auto& entity : m_apEntities) {
    if (!entity) {
      TheLogger().Log(kLogError, "DXFLIB: A pointer in the display list is null.\n");
      return;
    }
    // A layer that is off or frozen is not drawn, here as in the preview.
    const CDxfLayer* layer = entity->GetLayer();
    if (layer != nullptr && !layer->IsVisible()) continue;
    entity->DrawIntoDC(dc, matrix);
  }
}

void CEntList::ApplyFileTransform(const DxfFileTransform& dxfFile) {
  for (auto& entity : m_apEntities)
    if (entity) entity->ApplyFileTransform(dxfFile);
}

void CEntList::WriteDxf(std::FILE* file, const DxfFileTransform& dxfFile) const {
  for (const auto& entity : m_apEntities)
    if (entity) entity->WriteDxf(file, dxfFile);
}

void CEntList::Clear() {
  m_apEntities.clear();
  m_apEntities.shrink_to_fit();
}

}  // namespace brisol
