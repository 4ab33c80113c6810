#include "dxf/DxfRetention.h"

#include <cmath>

#include "dxf/DxfBlock.h"

namespace brisol {

bool ExtrusionKeepsCircleOrArc(const CVec& extrusion) {
  return extrusion.x == 0.0 && extrusion.y == 0.0 && extrusion.z > 0.0;
}

bool ExtrusionKeepsEllipse(const CVec& extrusion) {
  return extrusion.x == 0.0 && extrusion.y == 0.0 && extrusion.z != 0.0;
}

bool EllipseIsFull(double startParameter, double endParameter) {
  return startParameter == 0.0 && std::fabs(endParameter - kTwoPi) <= 1e-05;
}

void EllipseHalfAxes(const CVec& majorAxisEnd, double ratio, double& halfX, double& halfY) {
  const double ax = std::fabs(majorAxisEnd.x);
  const double ay = std::fabs(majorAxisEnd.y);
  if (ax >= ay) {
    halfX = ax;
    halfY = ratio * ax;
  } else {
    halfY = ay;
    halfX = ratio * ay;
  }
}

bool InsertBlockIsUsable(const CDxfBlock* block) { return block != nullptr && block->GetEntList().GetCount() > 0; }

VertexRoute RouteVertex(int vertexFlags) {
  if (vertexFlags & 128) return (vertexFlags & 64) ? VertexRoute::PolyfaceVertex : VertexRoute::PolyfaceFace;
  if (vertexFlags & 64) return VertexRoute::PolygonMeshVertex;
  return VertexRoute::PolylineVertex;
}

}  // namespace brisol
