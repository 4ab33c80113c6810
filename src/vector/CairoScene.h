// The scene drawn through Cairo, in points on the page: the one drawing
// behind the PDF, PostScript and EPS files and the page rendered at a
// printer's resolution.
#pragma once

#include <cairo.h>

#include <stop_token>

namespace brisol {

struct VectorScene;
struct PageLayout;
struct EmbeddedImages;
struct DrawObserver;

// Draws the page onto the context as it stands (a caller may have moved or
// scaled it). False when a stop request ended the drawing.
bool DrawSceneCairo(cairo_t* cr, const VectorScene& scene, const PageLayout& page, const EmbeddedImages& images,
                    DrawObserver* observer, const std::stop_token& stop);

}  // namespace brisol
