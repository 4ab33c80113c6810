// What the commands need to know about picture files beyond the loader: the
// format of a file without alerts, and whether an output would replace the
// input.
#pragma once

#include <string>

#include "imageio/PictureFormats.h"

namespace brisol::cli {

// By the name's extension (any of the format table's, any letter case),
// else by the file's first bytes (TGA has no signature); null when unknown.
// Never waits on a named pipe or device.
const PictureFormat* FormatOfFile(const char* path);

// Why output must not be written when input is read: it is the same file
// (by another name, a link or the same path), which the command would
// replace. Empty when they are different files. Every command that reads
// one picture and writes another refuses this before any work.
std::string OutputIsInput(const std::string& input, const std::string& output);

}  // namespace brisol::cli
