// CDxfEntity: the base of everything a DXF drawing keeps (points, lines,
// polylines, circles, ellipses, arcs, texts, meshes, block references).
//
// The writer's output: WriteDxf writes ASCII DXF groups to an open C stream
// (std::FILE*, text written with locale-independent number formatting).
//
// The file transform: WriteDxf and ApplyFileTransform take a
// DxfFileTransform, the output scale and offset of the drawing the entity
// belongs to (CDxfFile hands out its own). Every point p becomes
// (p + offset) x scale; radii, heights and INSERT scale factors are
// multiplied by scale; angles, width factors and flags stay.
#pragma once

#include <cstdio>
#include <memory>

#include "dxf/Matrix.h"
#include "dxf/Vec.h"

namespace brisol {

class CDxfLayer;
class DrawContext;
class FigureSink;

// The type numbers GetType answers.
enum DxfEntityType : int {
  kDxfPoint = 0,
  kDxfLine = 1,
  kDxfPolyline = 2,  // also LWPOLYLINE
  kDxfCircle = 3,
  kDxfEllipse = 4,
  kDxfArc = 5,
  kDxfText = 6,
  kDxfPolyfaceMesh = 7,
  kDxfPolygonMesh = 8,
  kDxfInsert = 9,
  ikNumDxfEntityTypes = 10,
};

// "POINT", "LINE", "POLYLINE", "CIRCLE", "ELLIPSE", "ARC", "TEXT",
// "POLYFACE", "POLYGONMESH", "INSERT"; "UNKNOWN" for any other number.
const char* DxfEntityTypeName(int type);

struct DxfFileTransform {
  double scale = 1.0;
  CVec offset;

  // (p + offset) x scale in x, y and z; w is kept.
  CVec Map(const CVec& p) const {
    return CVec((p.x + offset.x) * scale, (p.y + offset.y) * scale, (p.z + offset.z) * scale, p.w);
  }
  double Scale(double length) const { return length * scale; }
};

class CDxfEntity {
 public:
  // The seven virtual slots, in this order.
  virtual ~CDxfEntity() = default;
  // Writes the entity as DXF groups (nothing for a class that has no DXF
  // form, or an entity with nothing to write).
  virtual void WriteDxf(std::FILE* file, const DxfFileTransform& dxfFile) const = 0;
  // A deep copy of the same class with all fields (the layer and a block
  // reference are shared, not copied).
  virtual std::unique_ptr<CDxfEntity> Clone() const = 0;
  virtual int GetType() const = 0;
  // Moves and scales the entity's own coordinates.
  virtual void ApplyFileTransform(const DxfFileTransform& dxfFile) = 0;
  // The entity's axis-aligned box in drawing units. Most classes set both
  // vectors; an INSERT without a block and a mesh without vertices leave
  // them as they were.
  virtual void GetExtents(CVec& min, CVec& max) const = 0;
  // Hands the entity's figures, through the matrix, to the sink; classes
  // that draw nothing (ellipses, block references, meshes) hand none. Never
  // allocates except where a class says so.
  virtual void DrawFigures(FigureSink& sink, const CMatrix& matrix) const {}

  // Draws the entity's figures through the matrix into the context with the
  // pen, brush, text colour and font state the context has.
  void DrawIntoDC(DrawContext& dc, const CMatrix& matrix) const;

  // A null layer is refused with a trace.
  void SetLayer(const CDxfLayer* layer);
  const CDxfLayer* GetLayer() const { return m_pLayer; }
  // The layer's name, or "0" when there is no layer or its name is empty.
  const char* GetLayerName() const;
  // Only 1..256 are taken; anything else is ignored.
  void SetColourNumber(int n);
  int GetColourNumber() const { return m_iColourNumber; }

 protected:
  CDxfEntity() = default;
  CDxfEntity(const CDxfEntity&) = default;
  CDxfEntity& operator=(const CDxfEntity&) = default;

 private:
  const CDxfLayer* m_pLayer = nullptr;  // not owned
  int m_iColourNumber = 256;            // by layer
};

}  // namespace brisol
