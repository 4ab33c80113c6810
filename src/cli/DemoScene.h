// A photo-like landscape made in code, for demonstrations without a photo:
// evening sky, sun, layered mountains in haze, a lake with reflections and
// a meadow, with soft noise so that it reads like a photograph.
#pragma once

#include "raster/Dadc.h"

namespace brisol::cli {

CDADC MakeDemoScene(int width, int height);

}  // namespace brisol::cli
