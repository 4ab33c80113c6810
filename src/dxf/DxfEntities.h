// Every entity class of the shape library.
#pragma once

#include "dxf/DxfArc.h"
#include "dxf/DxfCircle.h"
#include "dxf/DxfEllipse.h"
#include "dxf/DxfEntity.h"
#include "dxf/DxfInsert.h"
#include "dxf/DxfLine.h"
#include "dxf/DxfPoint.h"
#include "dxf/DxfPolyfaceMesh.h"
#include "dxf/DxfPolygonMesh.h"
#include "dxf/DxfPolyline.h"
#include "dxf/DxfText.h"
