// The picture formats' type codes and their readers: the file is read
// through the imaging layer into a 24-bit image (LoadPicture.h hands it on
// as a surface).
#pragma once

#include "imageio/Imaging.h"

namespace brisol {

// Image type codes (PictureFormats.h).
enum ImageType : int {
  kImageTypePcx = 5,
  kImageTypeTga = 7,
  kImageTypeBmp = 9,
  kImageTypeJpg = 11,
  kImageTypePng = 15,
};

// The per-format readers of LoadPicture: each failing step is logged with
// its text and code, and the code is returned (kImgOk with a 24-bit image),
// with the PNG or JPEG library's words when it gave some.
DecodeResult ReadBmpImage(ImgImage& image, const char* name);
DecodeResult ReadJpgImage(ImgImage& image, const char* name);
DecodeResult ReadTgaImage(ImgImage& image, const char* name);
DecodeResult ReadPcxImage(ImgImage& image, const char* name);
DecodeResult ReadPngImage(ImgImage& image, const char* name);

}  // namespace brisol
