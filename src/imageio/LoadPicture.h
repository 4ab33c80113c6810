// Reading a picture file into a surface for the program's commands and
// windows alike: one result with the picture, or the reason it could not be
// had in one sentence naming the file. Nothing is shown to the user here;
// the imaging layer's codes and step messages go to the log.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "raster/Dadc.h"

namespace brisol {

struct LoadResult {
  std::unique_ptr<CDADC> surface;  // the picture; null when it could not be read
  int code = 0;                    // kImgOk, or the ImgResult code of the failure
  std::string message;             // "cannot read 'FILE': CAUSE"; empty on success
  bool ok() const { return surface != nullptr; }
};

// Reads the file as the format its name's extension names (the picture
// format table). The causes told apart: the system's reason the file cannot
// be opened (missing, no permission), a folder, a named pipe, device or
// socket (never waited on), an empty file, an extension that is no picture
// format's, bytes of another format, a picture that does not fit the memory
// available (its size, the need and what is available; checked before
// anything is allocated), a file far too small for the size it claims, and
// the imaging layer's reasons (cut short, corrupt, too many pixels with the
// ceiling), with the PNG or JPEG library's own words when it gave some.
// Names with line breaks are written with escapes (QuotedName).
LoadResult LoadPicture(const std::string& path);

// Why the file cannot be opened for reading, in words ("it is a folder", "it
// is a named pipe (FIFO), not a regular file", the system's reason); empty
// when it can.
std::string OpenProblem(const std::string& path);

// The first bytes of the file (up to 16), read without waiting, or false
// with the reason in words as OpenProblem gives it.
bool ReadPictureHead(const std::string& path, std::vector<std::uint8_t>& head, std::string& why);

}  // namespace brisol
