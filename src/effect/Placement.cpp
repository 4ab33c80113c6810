#include "effect/Placement.h"

#include "dxf/DxfFile.h"
#include "effect/Effect.h"
#include "effect/ForceField.h"
#include "logger/Logger.h"
#include "raster/Colour.h"
#include "raster/Dadc.h"

namespace brisol {

double SizeFor(const CEffect& effect, unsigned force, CRandomSource& random) {
  double r;
  if (effect.GetSizeReaction() == eReactRandom) {
    r = random.RandomDouble(0.0, 1.0);
  } else {
    r = force / 255.0;
    if (effect.GetSizeReaction() == eReactOpposite) r = 1.0 - r;
  }
  return effect.GetSize() + (r - 0.5) * 2.0 * effect.GetSizeVar() * effect.GetSize();
}

double AngleFor(const CEffect& effect, unsigned force, CRandomSource& random) {
  double degrees;
  switch (effect.GetAngleReaction()) {
    case eReactImage:
      degrees = force * effect.GetAngleVar() / 255.0;
      break;
    case eReactOpposite:
      degrees = effect.GetAngleVar() * (255.0 - force) / 255.0;
      break;
    case eReactRandom:
      return DegreesToRadians(random.RandomDouble(-180.0, 180.0));
    default:
      degrees = 0.0;
      break;
  }
  return DegreesToRadians(degrees + effect.GetAngle());
}

void BuildTransform(CMatrix& matrix, int x, int y, double s, double theta) {
  matrix.MakeTransform(CVec(s, -s, 0), theta, CVec(x, y, 0));
}

namespace {

// The colours of one object, drawn in their fixed order. False when a colour
// source is not one the effect knows (the object is then not drawn).
bool ChooseColours(const CEffect& effect, COLORREF pixel, int lineWidth, CRandomSource& random, PlacedObject& object,
                   bool& reported) {
  switch (effect.GetSolidColSrc()) {
    case eColSrcImage:
      object.fill = VaryColor(random, pixel, effect.GetSolidColVar());
      break;
    case eColSrcSingle:
      object.fill = VaryColor(random, effect.GetSolidColor(), effect.GetSolidColVar());
      break;
    case eColSrcRandom:
      object.fill = random.RandomColor();
      break;
    default:
      if (!reported) {
        TheLogger().Log(kLogError, "Unhandled m_eSolidColSrc in DrawShapeIntoDC(%d)\n", effect.GetSolidColSrc());
        reported = true;
      }
      return false;
  }
  // Both outline candidates are always drawn from the source.
  const COLORREF fromPixel = VaryColor(random, pixel, effect.GetLineColVar());
  const COLORREF fromSingle = VaryColor(random, effect.GetLineColor(), effect.GetLineColVar());
  object.penWidth = lineWidth > 0 ? lineWidth : 0;
  if (lineWidth > 0) {
    switch (effect.GetLineColSrc()) {
      case eColSrcImage:
        object.outline = fromPixel;
        break;
      case eColSrcSingle:
        object.outline = fromSingle;
        break;
      case eColSrcRandom:
        object.outline = random.RandomColor();
        break;
      default:
        if (!reported) {
          TheLogger().Log(kLogError, "Unhandled m_eLineColSrc in DrawShapeIntoDC(%d)\n", effect.GetLineColSrc());
          reported = true;
        }
        return false;
    }
  }
  return true;
}

}  // namespace

std::vector<PlacedObject> PlaceObjects(const CEffect& effect, const PlacementInput& in, CRandomSource& random,
                                       const std::function<void(std::size_t)>& progress) {
  std::vector<PlacedObject> objects;
  if (in.input == nullptr || in.field == nullptr || !in.input->IsValid() || effect.GetNumShapes() == 0) {
    return objects;
  }
  const int w = in.input->GetWidth(), h = in.input->GetHeight();
  const DrawContext& source = in.input->GetDC();
  const int numShapes = static_cast<int>(effect.GetNumShapes());
  const int reaction = effect.GetNumObjReaction();
  bool reported = false;
  objects.reserve(effect.GetNumObjects());

  constexpr unsigned kAttemptsPerReport = 512;
  for (unsigned k = 0; k < effect.GetNumObjects(); ++k) {
    if (progress && k % kAttemptsPerReport == 0) progress(k);
    const int x = random.RandomInt(0, w - 1);
    const int y = random.RandomInt(0, h - 1);
    const COLORREF pixel = source.GetPixel(x, y);
    unsigned force = in.field->GetForce(x, y);
    if (reaction == eReactOpposite) force = 255 - force;
    if (!(static_cast<int>(force) >= in.threshold || reaction == eReactRandom)) continue;

    PlacedObject object;
    const double s = SizeFor(effect, force, random) * in.unit;
    const double theta = AngleFor(effect, force, random);
    BuildTransform(object.transform, in.level * x, in.level * y, s, theta);
    object.shape = random.RandomInt(0, numShapes - 1);
    const CDxfFile* shape = effect.GetShape(static_cast<unsigned>(object.shape));
    if (shape == nullptr || shape->GetCount() == 0) continue;  // nothing to draw, no colours drawn
    if (!ChooseColours(effect, pixel, in.lineWidth, random, object, reported)) continue;
    objects.push_back(object);
  }
  return objects;
}

void DrawPlacedObjects(const CEffect& effect, std::span<const PlacedObject> objects, DrawContext& dc) {
  const Pen previousPen = dc.GetCurrentPen();
  const Brush previousBrush = dc.GetCurrentBrush();
  for (const PlacedObject& object : objects) {
    const CDxfFile* shape = effect.GetShape(static_cast<unsigned>(object.shape));
    if (shape == nullptr) continue;
    dc.SelectBrush(Brush::Solid(object.fill));
    dc.SelectPen(object.penWidth > 0 ? Pen::Solid(object.penWidth, object.outline) : Pen::Null());
    shape->DrawEntitiesIntoDC(dc, object.transform);
  }
  dc.SelectPen(previousPen);
  dc.SelectBrush(previousBrush);
}

}  // namespace brisol
