// The raster parts of a vector file: the photo (at the page's resolution,
// or its own pixels), a JPEG photo's own bytes where they show the same
// picture, and the grey mask of a mix, as every writer takes them.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "raster/Dadc.h"
#include "raster/Types.h"

namespace brisol {

struct MixMask;
struct CImageMix;

struct EmbeddedImages {
  SIZE raster{0, 0};               // the pixels of the photo and the mask
  const CDADC* photo = nullptr;    // at the raster size; null when the scene needs none
  std::unique_ptr<CDADC> resized;  // holds the photo when it is not the caller's own
  std::vector<std::uint8_t> jpeg;  // the photo file's own bytes, when they can stand for it
  std::vector<std::uint8_t> mask;  // a Grey mix: the original's weight per raster pixel, 0..255, rows top down
};

// Whether a JPEG file's bytes show the photo as loaded when embedded as
// they are: 8-bit grey or colour, baseline or progressive, upright (no
// turning orientation), of the photo's size. The file is only scanned.
bool JpegBytesStandFor(std::span<const std::uint8_t> jpeg, const SIZE& photo);

// The picture resampled to the size; null when memory runs out.
std::unique_ptr<CDADC> ResampledPicture(const CDADC& picture, const SIZE& size);

// Everything the scene's background and mix need. The photo is null, when
// it was needed, only if memory ran out; so is the mask.
EmbeddedImages EmbedImages(const CDADC& photo, const std::string& photoPath, bool photoNeeded, const CImageMix& mix,
                           const MixMask& mask, const SIZE& raster);

// PNG bytes of a picture, or of grey levels (rows top down) as a grey picture.
std::vector<std::uint8_t> PngBytes(const CDADC& picture);
std::vector<std::uint8_t> GreyPngBytes(std::span<const std::uint8_t> grey, const SIZE& size);

}  // namespace brisol
