// The last step of every drawing: the working picture (a whole multiple of
// the output's size) is averaged down block by block and mixed with the
// original through the mix geometry, in one pass.
#pragma once

#include <stop_token>

#include "effect/ImageMix.h"
#include "raster/Dadc.h"

namespace brisol {

// dst: the output picture (w x h); src: the working picture (L w x L h,
// L = 1..4); orig: the original (w x h) or null for no mixing; mix: the mix
// description (needed when orig is given). Refusals are logged and leave
// dst as it was. A stop request ends the work at the next row, leaving the
// rest of dst unwritten.
void AAMixBlit(CDADC* dst, const CDADC* src, const CDADC* orig, const CImageMix* mix, std::stop_token stop = {});

}  // namespace brisol
