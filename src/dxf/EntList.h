// CEntList: the display list. It owns its entities (each a clone of the
// entity given to AddEntity) and keeps them in the order added.
#pragma once

#include <memory>
#include <vector>

#include "dxf/DxfEntity.h"

namespace brisol {

class CDxfLayer;
class DrawContext;

class CEntList {
 public:
  CEntList() = default;
  // Clones of the source's entities, each keeping its layer.
  CEntList(const CEntList& other);
  CEntList& operator=(const CEntList& other);
  CEntList(CEntList&&) noexcept = default;
  CEntList& operator=(CEntList&&) noexcept = default;
  virtual ~CEntList() = default;

  // Appends a clone of the entity on the layer and answers the new count. A
  // null entity or null layer is refused with a trace (answer: the count).
  int AddEntity(const CDxfEntity* entity, const CDxfLayer* layer);
  // Appends an entity already made; same refusals.
  int AddEntity(std::unique_ptr<CDxfEntity> entity, const CDxfLayer* layer);

  // Null when the list is empty; entity i when 0 <= i < count; the first
  // entity for any other i.
  CDxfEntity* GetEntity(int i);
  const CDxfEntity* GetEntity(int i) const;
  int GetCount() const { return static_cast<int>(m_apEntities.size()); }
  // The number of entities whose GetType answers type.
  int CountOfType(int type) const;

  // The box of the entities on visible layers. Both zero for an empty list;
  // the largest double (min) and the most negative (max) when no entity is
  // on a visible layer.
  void GetExtents(CVec& min, CVec& max) const;

  // The list's own drawing (a preview): every entity on a visible layer with
  // that layer's pen penIndex (0 or 1) and text colour, with the null brush,
  // so everything comes out as outlines. The context's brush, pen, text
  // colour and background mode are restored.
  void DrawIntoDC(DrawContext& dc, int penIndex, const CMatrix& matrix) const;
  // The effect's drawing of a shape: every entity on a layer that is on
  // (neither off nor frozen), with the pen and brush the caller selected.
  void DrawEntitiesIntoDC(DrawContext& dc, const CMatrix& matrix) const;

  // Every entity's ApplyFileTransform.
  void ApplyFileTransform(const DxfFileTransform& dxfFile);
  // Every entity's WriteDxf, in order.
  void WriteDxf(std::FILE* file, const DxfFileTransform& dxfFile) const;

  // Destroys every entity.
  void Clear();

 private:
  void Append(std::unique_ptr<CDxfEntity> entity);

  std::vector<std::unique_ptr<CDxfEntity>> m_apEntities;
};

}  // namespace brisol
