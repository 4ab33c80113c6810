#include "vector/CairoScene.h"

#include <cmath>
#include <cstring>

#include "effect/Runner.h"
#include "raster/Dadc.h"
#include "vector/EmbeddedImages.h"
#include "vector/PageLayout.h"
#include "vector/VectorScene.h"

namespace brisol {
namespace {

void SetColour(cairo_t* cr, COLORREF c) {
  cairo_set_source_rgb(cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
}

void AppendPath(cairo_t* cr, const PathData& path) {
  std::size_t at = 0;
  for (const PathData::Op op : path.ops) {
    const double* v = path.xy.data() + at;
    switch (op) {
      case PathData::Move:
        cairo_move_to(cr, v[0], v[1]);
        at += 2;
        break;
      case PathData::Line:
        cairo_line_to(cr, v[0], v[1]);
        at += 2;
        break;
      case PathData::Cubic:
        cairo_curve_to(cr, v[0], v[1], v[2], v[3], v[4], v[5]);
        at += 6;
        break;
      case PathData::Close:
        cairo_close_path(cr);
        break;
    }
  }
}

// One figure, filled and outlined as the raster drawing does; the pen's
// width is in the context's user units.
void DrawFigure(cairo_t* cr, const Figure& f, const PlacedObject& o, double penWidth, const VectorScene& scene) {
  const bool pen = o.penWidth > 0;
  switch (f.kind) {
    case Figure::Open:
      if (!pen) return;
      AppendPath(cr, f.path);
      break;
    case Figure::Closed:
      AppendPath(cr, f.path);
      cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
      SetColour(cr, o.fill);
      cairo_fill_preserve(cr);
      break;
    case Figure::Circle:
      cairo_new_sub_path(cr);
      cairo_arc(cr, f.cx, f.cy, f.r, 0, 2 * M_PI);
      cairo_close_path(cr);
      cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
      SetColour(cr, o.fill);
      cairo_fill_preserve(cr);
      break;
    case Figure::Text:
    case Figure::Cell:
      AppendPath(cr, f.path);
      cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
      SetColour(cr, f.kind == Figure::Text ? scene.textColour : scene.textBackground);
      cairo_fill(cr);
      return;
  }
  if (pen) {
    cairo_set_line_width(cr, penWidth);
    SetColour(cr, o.outline);
    cairo_stroke(cr);
  } else {
    cairo_new_path(cr);
  }
}

void PaintPhoto(cairo_t* cr, const VectorScene& scene, const CairoImages& images) {
  cairo_save(cr);
  cairo_scale(cr, static_cast<double>(scene.picture.cx) / cairo_image_surface_get_width(images.photo.get()),
              static_cast<double>(scene.picture.cy) / cairo_image_surface_get_height(images.photo.get()));
  cairo_set_source_surface(cr, images.photo.get(), 0, 0);
  cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
  cairo_rectangle(cr, 0, 0, cairo_image_surface_get_width(images.photo.get()),
                  cairo_image_surface_get_height(images.photo.get()));
  cairo_fill(cr);
  cairo_restore(cr);
}

void PaintMix(cairo_t* cr, const VectorScene& scene, const CairoImages& images) {
  const MixMask& mix = scene.mix;
  if (mix.kind == MixMask::None || !images.photo) return;
  cairo_save(cr);
  cairo_rectangle(cr, 0, 0, scene.picture.cx, scene.picture.cy);
  cairo_clip(cr);
  cairo_push_group(cr);
  PaintPhoto(cr, scene, images);
  cairo_pop_group_to_source(cr);
  switch (mix.kind) {
    case MixMask::Even:
      cairo_paint_with_alpha(cr, mix.alpha);
      break;
    case MixMask::Linear:
    case MixMask::Radial: {
      cairo_pattern_t* weights = mix.kind == MixMask::Linear
                                     ? cairo_pattern_create_linear(mix.x0, mix.y0, mix.x1, mix.y1)
                                     : cairo_pattern_create_radial(0, 0, 0, 0, 0, 1);
      if (mix.kind == MixMask::Radial) {
        // Pattern matrices map user space to pattern space.
        cairo_matrix_t m;
        cairo_matrix_init(&m, mix.rx, 0, 0, mix.ry, mix.x0, mix.y0);
        cairo_matrix_invert(&m);
        cairo_pattern_set_matrix(weights, &m);
      }
      cairo_pattern_set_extend(weights, CAIRO_EXTEND_PAD);
      for (const auto& [offset, weight] : mix.stops)
        cairo_pattern_add_color_stop_rgba(weights, offset, 0, 0, 0, weight);
      cairo_mask(cr, weights);
      cairo_pattern_destroy(weights);
      break;
    }
    case MixMask::Grey:
      if (images.mask) {
        cairo_save(cr);
        cairo_scale(cr, static_cast<double>(scene.picture.cx) / cairo_image_surface_get_width(images.mask.get()),
                    static_cast<double>(scene.picture.cy) / cairo_image_surface_get_height(images.mask.get()));
        // The source stays where it was set; only the mask is scaled.
        cairo_mask_surface(cr, images.mask.get(), 0, 0);
        cairo_restore(cr);
      }
      break;
    case MixMask::None:
      break;
  }
  cairo_restore(cr);
}

}  // namespace

CairoSurface PictureSurface(const CDADC& picture) {
  const PixelBlock block = picture.GetBlock();
  CairoSurface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, block.width, block.height));
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  cairo_surface_flush(surface.get());
  unsigned char* data = cairo_image_surface_get_data(surface.get());
  const int stride = cairo_image_surface_get_stride(surface.get());
  for (int y = 0; y < block.height; ++y) {
    const std::uint8_t* in = block.Row(y);
    auto* out = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    for (int x = 0; x < block.width; ++x, in += 3)
      out[x] = 0xFF000000u | (std::uint32_t{in[2]} << 16) | (std::uint32_t{in[1]} << 8) | in[0];
  }
  cairo_surface_mark_dirty(surface.get());
  return surface;
}

CairoImages MakeCairoImages(const EmbeddedImages& images) {
  CairoImages made;
  const SIZE size = images.raster;
  if (images.photo) made.photo = PictureSurface(*images.photo);
  if (!images.mask.empty()) {
    CairoSurface mask(cairo_image_surface_create(CAIRO_FORMAT_A8, size.cx, size.cy));
    if (cairo_surface_status(mask.get()) == CAIRO_STATUS_SUCCESS) {
      cairo_surface_flush(mask.get());
      unsigned char* data = cairo_image_surface_get_data(mask.get());
      const int stride = cairo_image_surface_get_stride(mask.get());
      for (int y = 0; y < size.cy; ++y)
        std::memcpy(data + static_cast<std::ptrdiff_t>(y) * stride,
                    images.mask.data() + static_cast<std::size_t>(y) * size.cx, static_cast<std::size_t>(size.cx));
      cairo_surface_mark_dirty(mask.get());
      made.mask = std::move(mask);
    }
  }
  return made;
}

bool DrawSceneCairo(cairo_t* cr, const VectorScene& scene, const PageLayout& page, const CairoImages& images,
                    DrawObserver* observer, const std::stop_token& stop) {
  cairo_save(cr);
  cairo_translate(cr, page.left, page.top);
  cairo_scale(cr, page.scale, page.scale);
  if (scene.photoBackground && images.photo) {
    PaintPhoto(cr, scene, images);
  } else {
    SetColour(cr, scene.background);
    cairo_rectangle(cr, 0, 0, scene.picture.cx, scene.picture.cy);
    cairo_fill(cr);
  }

  cairo_save(cr);
  cairo_rectangle(cr, 0, 0, scene.picture.cx, scene.picture.cy);
  cairo_clip(cr);
  cairo_scale(cr, 1.0 / scene.level, 1.0 / scene.level);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  const bool drawn = ForEachObject(scene, observer, stop, [&](const ObjectDrawing& d) {
    if (d.patch) {
      const RasterPatch& p = *d.patch;
      if (p.width <= 0) return;
      CairoSurface patch(cairo_image_surface_create_for_data(
          reinterpret_cast<unsigned char*>(const_cast<std::uint32_t*>(p.argb.data())), CAIRO_FORMAT_ARGB32, p.width,
          p.height, p.width * 4));
      cairo_set_source_surface(cr, patch.get(), p.left, p.top);
      cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
      cairo_paint(cr);
      return;
    }
    cairo_save(cr);
    if (d.symbol) {
      cairo_matrix_t placement;
      cairo_matrix_init(&placement, d.placement[0], d.placement[1], d.placement[2], d.placement[3], d.placement[4],
                        d.placement[5]);
      cairo_transform(cr, &placement);
    }
    for (const Figure& f : d.symbol ? *d.symbol : *d.figures) DrawFigure(cr, f, d.object, d.penWidth, scene);
    cairo_restore(cr);
  });
  cairo_restore(cr);
  if (!drawn) {
    cairo_restore(cr);
    return false;
  }

  PaintMix(cr, scene, images);
  cairo_restore(cr);
  return true;
}

}  // namespace brisol
