// Writing a surface to a picture file chosen by the name's extension.
#pragma once

#include <string>

#include "raster/Dadc.h"

namespace brisol {

struct SaveOptions {
  int jpegQuality = 92;  // 1..100
  unsigned threads = 0;  // threads at most (0: the machine's cores)
};

struct SaveResult {
  int code = 0;         // 0 or a negative ImgResult code
  std::string message;  // what went wrong, ready to show; empty on success
  bool ok() const { return code == 0; }
};

// Writes the surface as BMP, TGA, JPEG (jpg, jpeg), PCX or PNG by the
// extension of path (letter case ignored). The user's file is never
// destroyed: the picture goes to a temporary file in the same directory,
// which is flushed to disk and then renamed over the target. On any failure
// the temporary file is removed and an existing target is left untouched
// (a write-protected target is not replaced);
// the result says why. Failures are also written to the log.
SaveResult SaveImageFile(const CDADC& surface, const std::string& path, const SaveOptions& options = {});

}  // namespace brisol
