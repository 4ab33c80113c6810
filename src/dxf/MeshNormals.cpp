// The orientation check of a drawing's polyface meshes.
#include <algorithm>
#include <array>
#include <cmath>

#include "dxf/DxfMesh.h"
#include "dxf/EntList.h"
#include "logger/Trace.h"

namespace brisol {
namespace {

constexpr double kVeryNegative = -3.4028234663852886e38;
constexpr double kRightAngle = 1.570796326795;

double Coord(const CVec& v, int axis) { return axis == 0 ? v.x : (axis == 1 ? v.y : v.z); }

// The face of a mesh that lies farthest out along one axis.
struct OuterFace {
  bool found = false;
  int count = 0;
  std::array<CVec, 4> points;
  CVec normal;
};

// Among the faces (3 or more numbers) that use the mesh's outermost vertex
// along the axis, the one whose points lie farthest out on average.
OuterFace FindOuterFace(const CDxfPolyfaceMesh& mesh, int axis) {
  OuterFace result;
  const int n = mesh.GetVertexCount();
  if (n == 0) return result;
  int outer = 1;
  double outerCoord = Coord(mesh.GetPoint(1), axis);
  for (int i = 2; i <= n; ++i) {
    const double c = Coord(mesh.GetPoint(i), axis);
    if (c > outerCoord) {
      outerCoord = c;
      outer = i;
    }
  }
  double bestMean = 0.0;
  for (int f = 0; f < mesh.GetFaceCount(); ++f) {
    const DxfFace face = mesh.GetFace(f);
    if (face.count <= 2) continue;
    if (std::find(face.v, face.v + face.count, outer) == face.v + face.count) continue;
    std::array<CVec, 4> points;
    const int count = mesh.GetFacePoints(points, f);
    double sum = 0.0;
    for (int k = 0; k < count; ++k) sum += Coord(points[static_cast<std::size_t>(k)], axis);
    const double mean = sum / count;
    if (!result.found || mean > bestMean) {
      result.found = true;
      result.count = count;
      result.points = points;
      result.normal = mesh.FaceNormal(f);
      bestMean = mean;
    }
  }
  return result;
}

// Whether the outer face along the axis points away from the drawing, that
// is toward the far point.
bool PointsOutward(const OuterFace& face, int axis, const CVec& farPoint) {
  if (!face.found) return true;  // nothing to judge by
  CVec v;
  double best = kVeryNegative;
  for (int k = 0; k < face.count; ++k) {
    const CVec& p = face.points[static_cast<std::size_t>(k)];
    if (Coord(p, axis) > best) {
      best = Coord(p, axis);
      v = p;
    }
  }
  CVec d = farPoint - v;
  d.Normalize();
  double dot = CVec::Dot(d, face.normal);
  if (dot > 1.0) dot = 1.0;
  if (dot < -1.0) dot = -1.0;
  return !(std::acos(dot) > kRightAngle);
}

}  // namespace

void CheckMeshNormals(CEntList& list, const char* fileName) {
  OuterFace outer[3];
  double seen[3] = {kVeryNegative, kVeryNegative, kVeryNegative};
  bool anyMesh = false;
  for (int i = 0; i < list.GetCount(); ++i) {
    const CDxfEntity* entity = list.GetEntity(i);
    if (entity == nullptr || entity->GetType() != kDxfPolyfaceMesh) continue;
    const auto& mesh = static_cast<const CDxfPolyfaceMesh&>(*entity);
    anyMesh = true;
    for (int axis = 0; axis < 3; ++axis) {
      const OuterFace candidate = FindOuterFace(mesh, axis);
      if (!candidate.found) continue;
      bool farther = false;
      for (int k = 0; k < candidate.count; ++k) {
        const double c = Coord(candidate.points[static_cast<std::size_t>(k)], axis);
        if (c > seen[axis]) {
          seen[axis] = c;
          farther = true;
        }
      }
      if (farther) outer[axis] = candidate;
    }
  }
  if (!anyMesh) return;

  CVec min, max;
  list.GetExtents(min, max);
  const CVec farPoint(max.x * 1000, max.y * 1000, max.z * 1000);
  int consistent = 0;
  for (int axis = 0; axis < 3; ++axis)
    if (PointsOutward(outer[axis], axis, farPoint)) ++consistent;

  if (consistent == 3) return;
  if (consistent == 0) {
    for (int i = 0; i < list.GetCount(); ++i) {
      CDxfEntity* entity = list.GetEntity(i);
      if (entity != nullptr && entity->GetType() == kDxfPolyfaceMesh)
        static_cast<CDxfPolyfaceMesh&>(*entity).FlipFaces();
    }
    return;
  }
  TraceMsg("The mesh normals are not consistent:<%s>\n", fileName == nullptr ? "" : fileName);
}

}  // namespace brisol
