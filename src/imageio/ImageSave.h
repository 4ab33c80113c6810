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

// Writes the surface in the format the extension of path names (the picture
// format table; letter case ignored). The user's file is never destroyed:
// the picture goes to a temporary file in the same directory, which is
// flushed to disk and then renamed over the target. On any failure, and when
// a signal ends the program during the save, the temporary file is removed
// and an existing target is left untouched (a write-protected target is not
// replaced); the result says why, naming the file (QuotedName). Failures are
// also written to the log. A symbolic link is written through, also one
// whose target does not exist yet (it is made). The temporary files that
// killed saves left in the folder, older than a day, are removed.
SaveResult SaveImageFile(const CDADC& surface, const std::string& path, const SaveOptions& options = {});

// What SaveImageFile checks before it writes anything: a known extension, a
// picture of size within what the format holds (when size is given), a
// target that is a writable regular file if it exists, and a folder in which
// a new file can be made. Lets a long job find out before it starts.
SaveResult CheckSaveTarget(const std::string& path, SIZE size = SIZE{0, 0});

}  // namespace brisol
