// Loading picture files: the file type follows the name's extension, the
// file is read through the imaging layer into a 24-bit image and handed
// over as a packed DIB.
#pragma once

#include <memory>

#include "imageio/Imaging.h"
#include "raster/ByteBuffer.h"
#include "raster/Dadc.h"

namespace brisol {

// Image type codes; kImageTypeFromName asks for the type by extension.
enum ImageType : int {
  kImageTypeFromName = -1,
  kImageTypePcx = 5,
  kImageTypeTga = 7,
  kImageTypeBmp = 9,
  kImageTypeJpg = 11,
  kImageTypePng = 15,
};

// The entry point of every caller (always with type -1): a packed DIB of a
// 24-bit picture (or, for a BMP file the library refuses, the file's own
// DIB), or an empty block. A name without any "." shows "Filename has no
// extension:<%s>". Names have no length limit beyond the system's.
ByteBuffer LoadImageFile(const char* name, int type);
// The same picture straight as a surface (by the extension), without the
// packed DIB in between: the decoded pixels become the surface's. Null when
// the file cannot be read (reported as LoadImageFile reports it).
std::unique_ptr<CDADC> LoadImageSurface(const char* name);
ByteBuffer VicLoadImageFile(const char* name, int type);

// The type code of the format whose extension the name has (PictureFormats.h:
// png 15, jpg and jpeg 11, tga 7, pcx 5, bmp 9; any letter case); -1 for
// another 3-letter extension; 0, with an alert, when the extension is
// missing or another length.
int ImageTypeFromExtension(const char* name);

// The per-format loaders: true with a 24-bit image in the record, or false
// with nothing allocated (after an alert, or for JPEG a log entry).
bool LoadBmpImage(ImgImage& image, const char* name);
bool LoadJpgImage(ImgImage& image, const char* name);
bool LoadTgaImage(ImgImage& image, const char* name);
bool LoadPcxImage(ImgImage& image, const char* name);
bool LoadPngImage(ImgImage& image, const char* name);

// The same loaders without boxes: each failing step is logged with its text
// and code, and the code is returned (kImgOk with a 24-bit image).
int ReadBmpImage(ImgImage& image, const char* name);
int ReadJpgImage(ImgImage& image, const char* name);
int ReadTgaImage(ImgImage& image, const char* name);
int ReadPcxImage(ImgImage& image, const char* name);
int ReadPngImage(ImgImage& image, const char* name);

// True when the file's first 50 bytes can be read and begin with the JPEG
// start-of-image marker (so files shorter than 50 bytes are refused).
bool IsJpegFile(const char* name);

}  // namespace brisol
