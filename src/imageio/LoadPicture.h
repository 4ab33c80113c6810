// Reading a picture file into a surface for the program's commands and
// windows alike: one result with the picture, or the reason it could not be
// had in one sentence naming the file. Nothing is shown to the user here;
// the imaging layer's codes and step messages go to the log.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "logger/Outcome.h"
#include "raster/Dadc.h"

namespace brisol {

// The picture read, never null; or the failure with the message "cannot
// read 'FILE': CAUSE" and its status: NotFound for a file that is not there,
// Damaged for one cut short or inconsistent, Unsupported for a name or bytes
// of another format or a variant not read, NoMemory, else Failed.
using LoadResult = Outcome<std::unique_ptr<CDADC>>;

// The most pixels a picture is read with unless the user asks for more:
// a few kilobytes of file can claim a picture of gigabytes, and no camera
// makes one this large.
inline constexpr long long kDefaultMaxPicturePixels = 200'000'000;

struct LoadOptions {
  // A picture with more pixels is refused (Unsupported) before it is read.
  long long maxPixels = kDefaultMaxPicturePixels;
  // How the user raises maxPixels, told with the refusal ("--max-pixels N").
  std::string raise;
  // Receives, for a picture the decoder could read only in part or with
  // damage it could pass over, one line saying so and how (the decoder's
  // words); left empty otherwise.
  std::string* damage = nullptr;
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
LoadResult LoadPicture(const std::string& path, const LoadOptions& options = {});

// Whether the file can be opened for reading; if not, why in words ("it is a
// folder", "it is a named pipe (FIFO), not a regular file", the system's
// reason), NotFound when it is not there.
Done OpenProblem(const std::string& path);

// The first bytes of the file (up to 16), read without waiting, or the
// failure as OpenProblem gives it.
Outcome<std::vector<std::uint8_t>> ReadPictureHead(const std::string& path);

}  // namespace brisol
