// Writes a surface as an uncompressed 24-bit BMP file.
#pragma once

#include <string>

#include "raster/Dadc.h"

namespace brisol {

// The file header, the info header and the pixel rows as they are in the
// block. Returns false (errno set) when the file cannot be written.
bool WriteBmpFile(const CDADC& surface, const std::string& path);

}  // namespace brisol
