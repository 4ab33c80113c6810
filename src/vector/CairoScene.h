// The scene drawn through Cairo, in points on the page: the one drawing
// behind the PDF, PostScript and EPS files and the page rendered at a
// printer's resolution.
#pragma once

#include <cairo.h>

#include <memory>
#include <stop_token>

namespace brisol {

class CDADC;
struct VectorScene;
struct PageLayout;
struct EmbeddedImages;
struct DrawObserver;

struct CairoSurfaceFree {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
using CairoSurface = std::unique_ptr<cairo_surface_t, CairoSurfaceFree>;

// A picture as an RGB24 image surface; null when memory runs out.
CairoSurface PictureSurface(const CDADC& picture);

// The photo and the grey mask as image surfaces (RGB24 and A8).
struct CairoImages {
  CairoSurface photo;
  CairoSurface mask;
};
// Null surfaces where the images have none or memory ran out.
CairoImages MakeCairoImages(const EmbeddedImages& images);

// Draws the page onto the context as it stands (a caller may have moved or
// scaled it). False when a stop request ended the drawing.
bool DrawSceneCairo(cairo_t* cr, const VectorScene& scene, const PageLayout& page, const CairoImages& images,
                    DrawObserver* observer, const std::stop_token& stop);

}  // namespace brisol
