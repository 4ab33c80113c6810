// What identify and convert need to know about picture files beyond the
// loader: the format of a file without alerts, and why a file cannot be read.
#pragma once

#include <string>

#include "imageio/Imaging.h"

namespace brisol::cli {

struct PictureFormat {
  const char* name;  // "BMP", "JPEG", "TGA", "PCX", "PNG"
  int (*info)(const char* path, ImageInfo& info);
  int (*load)(const char* path, ImgImage& image);
};

// By the name's extension (bmp, jpg, jpeg, tga, pcx, png; any letter case),
// else by the file's first bytes (TGA has no signature); null when unknown.
const PictureFormat* FormatOfFile(const char* path);

// The imaging layer's reason for not reading the file (the text of its
// result code), or an empty string when it reads it after all.
std::string WhyUnreadable(const char* path);

}  // namespace brisol::cli
