// What identify, convert and render need to know about picture files beyond
// the loader: the format of a file without alerts, and why a file cannot be
// read, in words for people.
#pragma once

#include <string>

#include "imageio/PictureFormats.h"

namespace brisol::cli {

// By the name's extension (any of the format table's, any letter case),
// else by the file's first bytes (TGA has no signature); null when unknown.
const PictureFormat* FormatOfFile(const char* path);

// The system's reason why the file cannot be opened for reading (or is a
// folder); empty when it can.
std::string OpenProblem(const char* path);

// Why the file cannot be read as a picture of its extension's format: the
// system's reason when it cannot be opened, "not a PNG file" (and what it is
// instead, when that shows) when its bytes are another format's, else the
// imaging layer's reason. Empty when it reads after all.
std::string WhyUnreadable(const char* path);

}  // namespace brisol::cli
