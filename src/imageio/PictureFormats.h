// The picture formats Brisol reads and writes, one row each: the name shown
// to people, the label of the file dialogs' filter, the extensions (the first
// is the one a new file gets), the imaging layer's type code, its operations
// on a file of the format, its reader, the file signature and the
// writer. The loader, the saver, the command-line tool and the file dialogs
// all read this table.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "imageio/ImageSave.h"
#include "imageio/Imaging.h"

namespace brisol {

struct PictureFormat {
  std::string_view name;                         // "JPEG"
  std::string_view filterLabel;                  // "Jpeg"
  std::span<const std::string_view> extensions;  // lower case, without the dot
  int imageType;                                 // kImageTypeJpg ...
  // The imaging layer: the file's size and depth.
  DecodeResult (*info)(const char* path, ImageInfo& info);
  // The reader of the format (ImageLoad.h): its messages go to the log and
  // the failing step's code (an ImgResult, with the decoder's words) comes
  // back; kImgOk with the image.
  DecodeResult (*readImage)(ImgImage& image, const char* name);
  // Whether a file beginning with these bytes is of the format; null for a
  // format without a signature (TGA).
  bool (*hasSignature)(std::span<const std::uint8_t> head);
  // The whole file of a picture.
  int (*encode)(const PixelBlock& picture, const SaveOptions& options, std::vector<std::uint8_t>& out);
  // The widest and highest picture a file of the format holds.
  int maxWidth;
  int maxHeight;
};

// BMP, TGA, JPEG, PCX, PNG: the order of the dialogs' filters, whose index
// the settings keep.
std::span<const PictureFormat> PictureFormats();

// The extension of a file name (after the last '.', and only in its last
// component), empty when there is none.
std::string_view FileExtension(std::string_view path);

// The format a file name's extension names (letter case ignored), or null.
const PictureFormat* PictureFormatOfName(std::string_view path);

// The format of an image type code, or null.
const PictureFormat* PictureFormatOfType(int imageType);

// The format whose signature the bytes begin with, or null.
const PictureFormat* PictureFormatOfSignature(std::span<const std::uint8_t> head);

// Every extension, as "bmp, tga, jpg, jpeg, pcx or png", for messages.
std::string PictureExtensionsText();

}  // namespace brisol
