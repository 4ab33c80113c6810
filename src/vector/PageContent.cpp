#include "vector/PageContent.h"

#include <cmath>

#include "effect/Runner.h"
#include "vector/PageLayout.h"
#include "vector/VectorScene.h"

namespace brisol {
namespace {

bool Reused(const VectorScene& scene, const PlacedObject& o) {
  return o.shape >= 0 && static_cast<std::size_t>(o.shape) < scene.reused.size() && scene.reused[o.shape];
}

// An object drawn as pixels: its rows' runs of one colour as rectangles,
// each colour's run after run filled at once.
void WritePatch(ContentStream& out, const RasterPatch& patch) {
  COLORREF current = CLR_INVALID;
  bool open = false;
  for (int y = 0; y < patch.height; ++y) {
    const std::uint32_t* row = patch.argb.data() + static_cast<std::size_t>(y) * patch.width;
    for (int x = 0; x < patch.width;) {
      if ((row[x] >> 24) == 0) {
        ++x;
        continue;
      }
      int end = x + 1;
      while (end < patch.width && row[end] == row[x]) ++end;
      const COLORREF colour = RGB((row[x] >> 16) & 0xFF, (row[x] >> 8) & 0xFF, row[x] & 0xFF);
      if (colour != current) {
        if (open) out.Op("f");
        out.FillColour(colour);
        current = colour;
      }
      out.Rectangle(patch.left + x, patch.top + y, end - x, 1);
      open = true;
      x = end;
    }
  }
  if (open) out.Op("f");
}

}  // namespace

void PictureSpace(ContentStream& out, const PageLayout& page) {
  out.Transform(1, 0, 0, -1, 0, page.height);
  out.Transform(page.scale, 0, 0, page.scale, page.left, page.top);
}

SymbolUse UsedSymbols(const VectorScene& scene) {
  SymbolUse use;
  use.filled.assign(scene.symbols.size(), false);
  use.outlined.assign(scene.symbols.size(), false);
  for (std::size_t k = 0; k < scene.objects.size(); ++k) {
    const PlacedObject& o = scene.objects[k];
    if (!Reused(scene, o) || scene.extras[k].patch) continue;
    (o.penWidth > 0 ? use.outlined : use.filled)[static_cast<std::size_t>(o.shape)] = true;
  }
  return use;
}

void WriteSymbol(ContentStream& out, const VectorScene& scene, int shape, bool outlined) {
  for (const Figure& f : scene.symbols[static_cast<std::size_t>(shape)])
    out.Figure(f, outlined, scene.textColour, scene.textBackground);
}

bool WriteObjects(ContentStream& out, const VectorScene& scene, const PlaceSymbol& place, DrawObserver* observer,
                  const std::stop_token& stop) {
  out.Op("q");
  out.Rectangle(0, 0, scene.picture.cx, scene.picture.cy);
  out.Op("W n");
  out.Transform(1.0 / scene.level, 0, 0, 1.0 / scene.level, 0, 0);
  out.Op("1 j 1 J");
  const std::size_t total = scene.objects.size();
  for (std::size_t k = 0; k < total; ++k) {
    if ((k & 255) == 0) {
      if (stop.stop_requested()) return false;
      if (observer && k > 0) observer->Progress(k, total);
    }
    const PlacedObject& o = scene.objects[k];
    const ObjectFigures& extra = scene.extras[k];
    if (extra.patch) {
      WritePatch(out, *extra.patch);
      continue;
    }
    const bool pen = o.penWidth > 0;
    if (Reused(scene, o)) {
      const CMatrix& m = o.transform;
      // The pen's width in the drawing's own units, which the placement scales.
      const double scale = std::hypot(m.at(0, 0), m.at(1, 0));
      out.Op("q");
      out.FillColour(o.fill);
      if (pen) {
        out.StrokeColour(o.outline);
        out << o.penWidth / scale;
        out.Op("w");
      }
      out.Transform(m.at(0, 0), m.at(1, 0), m.at(0, 1), m.at(1, 1), m.at(0, 3) + GeometryShift(o),
                    m.at(1, 3) + GeometryShift(o));
      place(out, o.shape, pen);
      out.Op("Q");
      continue;
    }
    COLORREF fill = CLR_INVALID;
    if (pen) {
      out.StrokeColour(o.outline);
      out << static_cast<double>(o.penWidth);
      out.Op("w");
    }
    for (const Figure& f : extra.figures) {
      const bool painted = f.kind == Figure::Closed || f.kind == Figure::Circle;
      if (painted && fill != o.fill) {
        out.FillColour(o.fill);
        fill = o.fill;
      }
      const COLORREF left = out.Figure(f, pen, scene.textColour, scene.textBackground);
      if (left != CLR_INVALID) fill = left;
    }
  }
  out.Op("Q");
  if (observer) observer->Progress(total, total);
  return true;
}

}  // namespace brisol
