// Writing a surface to a picture file chosen by the name's extension.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "raster/Dadc.h"

namespace brisol {

struct SaveOptions {
  int jpegQuality = 92;  // 1..100
  unsigned threads = 0;  // threads at most (0: the machine's cores)
  // A text kept in the file beside the pixels where the format has room for
  // one: PNG an iTXt chunk under textKeyword, JPEG a comment segment of the
  // text alone. BMP, TGA and PCX have none and leave it out. The pixels are
  // the same with or without it.
  std::string textKeyword = {};
  std::string text = {};
};

struct SaveResult {
  int code = 0;         // 0 or a negative ImgResult code
  std::string message;  // what went wrong, ready to show; empty on success
  bool ok() const { return code == 0; }
};

// Writes the surface in the format the extension of path names (the picture
// format table; letter case ignored). The user's file is never destroyed:
// the picture goes to a temporary file in the same directory, which is
// flushed to disk and then renamed over the target. On any failure, and when
// a signal ends the program during the save, the temporary file is removed
// and an existing target is left untouched (a write-protected target is not
// replaced); the result says why. Failures are also written to the log.
SaveResult SaveImageFile(const CDADC& surface, const std::string& path, const SaveOptions& options = {});

// What SaveImageFile checks before it writes anything: a known extension, a
// target that is a writable regular file if it exists, and a folder in which
// a new file can be made. Lets a long job find out before it starts.
SaveResult CheckSaveTarget(const std::string& path);

// The same for a file of any kind: a target that is a writable regular file
// if it exists, in a folder in which a new file can be made.
SaveResult CheckFileTarget(const std::string& path);

// Writes the bytes to path as SaveImageFile writes a picture: through a
// temporary file in the same folder, flushed and renamed over the target,
// so that a failure or an ending signal leaves an existing file untouched.
SaveResult WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);

}  // namespace brisol
