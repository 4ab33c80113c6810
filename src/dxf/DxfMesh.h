// The mesh side of the shape library: both mesh classes and the orientation
// check of the polyface meshes of a drawing.
#pragma once

#include "dxf/DxfPolyfaceMesh.h"
#include "dxf/DxfPolygonMesh.h"

namespace brisol {

class CEntList;

// Looks at the outermost face of the drawing's polyface meshes along x, y
// and z: when all three point away from the drawing nothing changes; when
// none does, every polyface mesh of the list has its faces flipped;
// otherwise the mixed state is traced with the file name and nothing
// changes. Runs on the top-level list only (blocks are left alone).
void CheckMeshNormals(CEntList& list, const char* fileName);

}  // namespace brisol
