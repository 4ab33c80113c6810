// The raster parts of a vector file: the photo (at the page's resolution, or
// its own pixels) and the grey mask of a mix, as Cairo image surfaces that
// every writer takes, and a JPEG photo's own bytes where they show the
// same picture.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "raster/Types.h"

namespace brisol {

class CDADC;
struct MixMask;
struct CImageMix;

struct CairoSurfaceFree {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
using CairoSurface = std::unique_ptr<cairo_surface_t, CairoSurfaceFree>;

struct EmbeddedImages {
  CairoSurface photo;              // RGB24, the raster size
  std::vector<std::uint8_t> jpeg;  // the photo file's own bytes, when they can stand for it
  CairoSurface mask;               // A8 grey mask (a Grey mix only)
};

// Whether a JPEG file's bytes show the photo as loaded when embedded as
// they are: 8-bit grey or colour, baseline or progressive, upright (no
// turning orientation), of the photo's size. The file is only scanned.
bool JpegBytesStandFor(std::span<const std::uint8_t> jpeg, const SIZE& photo);

// The photo as an image surface of the raster size; null when memory runs out.
CairoSurface PhotoSurface(const CDADC& photo, const SIZE& raster);

// Everything the scene's background and mix need.
EmbeddedImages EmbedImages(const CDADC& photo, const std::string& photoPath, bool photoNeeded, const CImageMix& mix,
                           const MixMask& mask, const SIZE& raster);

// PNG bytes of an image surface.
std::vector<std::uint8_t> PngBytes(cairo_surface_t* surface);

}  // namespace brisol
