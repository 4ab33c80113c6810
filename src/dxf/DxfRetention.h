// The rules that decide whether an entity read from a file is kept, and how
// a POLYLINE's VERTEX records are routed. The reader asks these; the
// entities themselves do not care.
#pragma once

#include "dxf/Vec.h"

namespace brisol {

class CDxfBlock;

// CIRCLE at top level and ARC everywhere: the extrusion is (0, 0, z > 0).
bool ExtrusionKeepsCircleOrArc(const CVec& extrusion);
// ELLIPSE: the extrusion is (0, 0, z != 0).
bool ExtrusionKeepsEllipse(const CVec& extrusion);
// ELLIPSE: a full ellipse (start parameter exactly 0, end within 1e-05 of
// 2 pi).
bool EllipseIsFull(double startParameter, double endParameter);
// ELLIPSE: the half-axes along x and y from the major axis end point
// (relative to the centre) and the minor/major ratio. The larger of |x| and
// |y| is the major half-axis, along x when |x| >= |y|.
void EllipseHalfAxes(const CVec& majorAxisEnd, double ratio, double& halfX, double& halfY);
// The largest magnitude of a number a drawing may use: coordinates,
// radii, angles, scales. Beyond it a shape of unit size cannot be drawn at
// any size (scaled to pixels it overflows), and a double cannot even tell
// neighbouring whole units apart.
constexpr double kMaxDrawingNumber = 1e15;
// Not a number, infinite or beyond kMaxDrawingNumber: the entity holding
// it is dropped.
inline bool IsDrawingNumber(double v) { return v >= -kMaxDrawingNumber && v <= kMaxDrawingNumber; }
// Group 67: a value above 0 puts the entity in paper space (dropped).
inline bool IsPaperSpace(int group67) { return group67 > 0; }
// INSERT: kept when the block exists and has at least one entity.
bool InsertBlockIsUsable(const CDxfBlock* block);

// Where a VERTEX record of a POLYLINE goes, by its flag word (group 70).
enum class VertexRoute { PolyfaceVertex, PolyfaceFace, PolygonMeshVertex, PolylineVertex };
VertexRoute RouteVertex(int vertexFlags);

}  // namespace brisol
