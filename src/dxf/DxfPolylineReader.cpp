// CDxfFile: POLYLINE entities with their VERTEX records. Three candidates are
// filled side by side (a plain polyline, a polyface mesh and a polygon mesh);
// the flags decide which one is kept at SEQEND.
#include <climits>

#include "dxf/DxfEntities.h"
#include "dxf/DxfFile.h"
#include "dxf/DxfRetention.h"
#include "logger/Trace.h"

namespace brisol {

struct CDxfFile::PolylineCandidates {
  CDxfPolyline polyline;
  CDxfPolyfaceMesh polyface;
  CDxfPolygonMesh polygonMesh;
  bool polyfaceFlag = false;
  bool polygonMeshFlag = false;
  bool paperSpace = false;
};

namespace {

constexpr int kPolylineClosed = 1;
constexpr int kPolylinePolygonMesh = 16;
constexpr int kPolylinePolyface = 64;

int AbsIndex(int v) { return v >= 0 ? v : (v == INT_MIN ? INT_MAX : -v); }

}  // namespace

bool CDxfFile::ReadPolylineEntity(CDxfBlock* target) {
  PolylineCandidates c;
  bool ok = ReadGroup(-1);
  while (ok) {
    if (GetGroupCode() == 0) {
      if (m_groups.TextIs("SEQEND")) break;
      if (m_groups.TextIs("VERTEX")) {
        ok = ReadVertex(c);  // returns with the next code-0 group read
      } else {
        ok = ReadGroup(-1);  // any other record is passed over
      }
      continue;
    }
    switch (GetGroupCode()) {
      case 8:
        SetCurrentLayer(m_groups.Text().c_str());
        break;
      case 62:
        c.polyline.SetColourNumber(m_groups.Int());
        c.polyface.SetColourNumber(m_groups.Int());
        c.polygonMesh.SetColourNumber(m_groups.Int());
        break;
      case 67:
        if (IsPaperSpace(m_groups.Int())) c.paperSpace = true;
        break;
      case 70: {
        const int flags = m_groups.Int();
        if (flags & kPolylineClosed) c.polyline.SetClosed(true);
        if (flags & kPolylinePolyface) c.polyfaceFlag = true;
        if (flags & kPolylinePolygonMesh) {
          c.polygonMeshFlag = true;
          c.polygonMesh.SetFlags(flags);
        }
        break;
      }
      case 71:
        c.polygonMesh.SetM(m_groups.Int());
        break;
      case 72:
        c.polygonMesh.SetN(m_groups.Int());
        break;
      default:
        break;
    }
    ok = ReadGroup(-1);
  }
  if (!ok) return false;
  // The SEQEND group stays current; the caller's loop reads over it. A
  // vertex with an unusable number spoils the whole entity.
  if (DropsBadNumber("POLYLINE") || c.paperSpace) return true;
  if (c.polyfaceFlag) {
    c.polyface.MergeTriangles();
    Retain(c.polyface, target);
  } else if (c.polygonMeshFlag) {
    Retain(c.polygonMesh, target);
  } else {
    Retain(c.polyline, target);
  }
  return true;
}

bool CDxfFile::ReadVertex(PolylineCandidates& c) {
  CVec point;
  int flags = 0;
  DxfFace face;
  while (NextEntityGroup()) {
    const int code = GetGroupCode();
    switch (code) {
      case 10:
        point.x = Number();
        break;
      case 20:
        point.y = Number();
        break;
      case 30:
        point.z = Number();
        break;
      case 70:
        flags = m_groups.Int();
        break;
      case 71:
      case 72:
      case 73:
      case 74:
        if (face.count >= 4) {
          TraceMsg("Error reading polyface mesh vertex\niIndex=%d , iNumIndices=%d", code - 71, face.count);
        } else {
          face.v[code - 71] = AbsIndex(m_groups.Int());
          ++face.count;
        }
        break;
      default:
        break;
    }
  }
  if (!m_groups.LastReadOk()) return false;
  switch (RouteVertex(flags)) {
    case VertexRoute::PolyfaceVertex:
      c.polyface.AddVertex(point);
      break;
    case VertexRoute::PolyfaceFace:
      c.polyface.AddFace(face);  // a face with numbers beyond the vertices is refused with a trace
      break;
    case VertexRoute::PolygonMeshVertex:
      c.polygonMesh.AddVertex(point);
      break;
    case VertexRoute::PolylineVertex:
      c.polyline.AddVertex(point);
      break;
  }
  return true;
}

}  // namespace brisol
