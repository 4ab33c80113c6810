// What identify needs to know about picture files beyond the loader: the
// format of a file without alerts.
#pragma once

#include <string>

#include "imageio/PictureFormats.h"

namespace brisol::cli {

// By the name's extension (any of the format table's, any letter case),
// else by the file's first bytes (TGA has no signature); null when unknown.
const PictureFormat* FormatOfFile(const char* path);

}  // namespace brisol::cli
