// The placement of the shapes. One sequential pass consumes the random
// source in its fixed order and makes the list of objects to draw (where,
// how large and turned, which shape, which colours); the list is then drawn
// in order, later objects covering earlier ones. Same effect, original,
// seed and quality: same list, same picture.
#pragma once

#include <functional>
#include <span>
#include <vector>

#include "dxf/Matrix.h"
#include "raster/Random.h"
#include "raster/Types.h"

namespace brisol {

class CDADC;
class CEffect;
class CForceField;
class DrawContext;

struct PlacedObject {
  CMatrix transform;     // drawing units to working pixels
  int shape = 0;         // index into the effect's shapes
  COLORREF fill = 0;     // brush colour
  COLORREF outline = 0;  // pen colour (when penWidth > 0)
  int penWidth = 0;      // 0: no outline
};

struct PlacementInput {
  const CDADC* input = nullptr;        // positions and colours come from it (w x h)
  const CForceField* field = nullptr;  // its forces
  int threshold = 0;                   // force an object needs (0..256)
  double unit = 1.0;                   // working pixels per percent of the working width
  int lineWidth = 0;                   // outline width in working pixels
  int level = 1;                       // the working picture is level times larger
};

// The object's size in percent of the working width.
double SizeFor(const CEffect& effect, unsigned force, CRandomSource& random);
// The object's angle in radians.
double AngleFor(const CEffect& effect, unsigned force, CRandomSource& random);
// Scale by (s, -s), turn by theta about z, move to (x, y).
void BuildTransform(CMatrix& matrix, int x, int y, double s, double theta);

// Every placement attempt of the effect, in order, with its random draws;
// progress(done) is told the attempts made now and then.
std::vector<PlacedObject> PlaceObjects(const CEffect& effect, const PlacementInput& in, CRandomSource& random,
                                       const std::function<void(std::size_t)>& progress = {});

// Draws the objects in order into the context.
void DrawPlacedObjects(const CEffect& effect, std::span<const PlacedObject> objects, DrawContext& dc);

}  // namespace brisol
