#include "vector/PageContent.h"

#include <algorithm>
#include <cmath>

#include "effect/Runner.h"
#include "vector/PageLayout.h"
#include "vector/VectorScene.h"

namespace brisol {
namespace {

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

int FigureDecimals(const PageLayout& page, int level) {
  const double pointsPerUnit = page.scale / std::max(level, 1);
  return std::clamp(static_cast<int>(std::ceil(std::log10(std::max(pointsPerUnit, 1e-9) * 100) - 1e-9)), 0, 8);
}

bool WriteBleed(ContentStream& out, const PageLayout& page, const SIZE& picture,
                const std::function<bool(ContentStream&)>& drawPicture) {
  if (!(page.bleedX > 0 || page.bleedY > 0)) return true;
  const double ex = page.bleedX / page.scale, ey = page.bleedY / page.scale;
  out.Op("q");
  out.Transform(picture.cx + 2 * ex, 0, 0, -(picture.cy + 2 * ey), -ex, picture.cy + ey);
  if (!drawPicture(out)) return false;
  out.Op("Q");
  return true;
}

bool WriteBackground(ContentStream& out, const VectorScene& scene, const PageLayout& page, bool photo,
                     const std::function<bool(ContentStream&)>& drawPhoto) {
  const double w = scene.picture.cx, h = scene.picture.cy;
  if (!(scene.photoBackground && photo)) {
    const double ex = page.bleedX / page.scale, ey = page.bleedY / page.scale;
    out.FillColour(scene.background);
    out.Rectangle(-ex, -ey, w + 2 * ex, h + 2 * ey);
    out.Op("f");
    return true;
  }
  if (!WriteBleed(out, page, scene.picture, drawPhoto)) return false;
  out.Op("q");
  out.Transform(w, 0, 0, -h, 0, h);
  if (!drawPhoto(out)) return false;
  out.Op("Q");
  return true;
}

SymbolUse UsedSymbols(const VectorScene& scene) {
  SymbolUse use;
  use.filled.assign(scene.symbols.size(), false);
  use.outlined.assign(scene.symbols.size(), false);
  for (std::size_t k = 0; k < scene.objects.size(); ++k) {
    const PlacedObject& o = scene.objects[k];
    const bool reused =
        o.shape >= 0 && static_cast<std::size_t>(o.shape) < scene.reused.size() && scene.reused[o.shape];
    if (!reused || scene.extras[k].patch) continue;
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
  const bool written = ForEachObject(scene, observer, stop, [&](const ObjectDrawing& d) {
    const PlacedObject& o = d.object;
    if (d.patch) {
      WritePatch(out, *d.patch);
      return;
    }
    const bool pen = o.penWidth > 0;
    if (d.symbol) {
      out.Op("q");
      out.FillColour(o.fill);
      if (pen) {
        out.StrokeColour(o.outline);
        out << d.penWidth;
        out.Op("w");
      }
      out.Transform(d.placement[0], d.placement[1], d.placement[2], d.placement[3], d.placement[4], d.placement[5]);
      place(out, o.shape, pen);
      out.Op("Q");
      return;
    }
    COLORREF fill = CLR_INVALID;
    if (pen) {
      out.StrokeColour(o.outline);
      out << d.penWidth;
      out.Op("w");
    }
    for (const Figure& f : *d.figures) {
      const bool painted = f.kind == Figure::Closed || f.kind == Figure::Circle;
      if (painted && fill != o.fill) {
        out.FillColour(o.fill);
        fill = o.fill;
      }
      const COLORREF left = out.Figure(f, pen, scene.textColour, scene.textBackground);
      if (left != CLR_INVALID) fill = left;
    }
  });
  if (!written) return false;
  out.Op("Q");
  return true;
}

}  // namespace brisol
