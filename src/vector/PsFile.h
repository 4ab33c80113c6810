// PostScript and EPS files of a scene, written by hand. An EPS file is one
// other programs can place: its first line says EPSF-3.0, its bounding box
// (whole and exact) is the page, and it leaves the page device alone.
// The page's drawing is the PDF page's (ContentStream), whose operators the
// prolog defines; each reusable drawing is a procedure. PostScript paints
// opaquely: where the mix shows any of the photo, the file holds the
// picture's own pixels (the composite), clipped to those pixels; elsewhere
// the objects stay paths.
#pragma once

#include <stop_token>
#include <string>

#include "vector/PdfFile.h"
#include "vector/VectorFormats.h"

namespace brisol {

class CDADC;

// composite: the mixed picture at the embedded images' raster size, needed
// when the scene has a mix (else unused).
Outcome<std::string> WritePostScript(VectorKind kind, const VectorScene& scene, const PageLayout& page,
                                     const EmbeddedImages& images, const CDADC* composite, const std::string& metadata,
                                     DrawObserver* observer, const std::stop_token& stop);

}  // namespace brisol
