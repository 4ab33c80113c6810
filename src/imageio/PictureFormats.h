// The picture formats Brisol reads and writes, one row each: the name shown
// to people, the label of the file dialogs' filter, the extensions (the first
// is the one a new file gets), and the imaging layer's type code. The loader,
// the saver, the command-line tool and the file dialogs all read this table.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace brisol {

struct PictureFormat {
  std::string_view name;         // "JPEG"
  std::string_view filterLabel;  // "Jpeg"
  std::span<const std::string_view> extensions;  // lower case, without the dot
  int imageType;                 // kImageTypeJpg ...
};

// BMP, TGA, JPEG, PCX, PNG: the order of the dialogs' filters, whose index
// the settings keep.
std::span<const PictureFormat> PictureFormats();

// The extension of a file name (after the last '.', and only in its last
// component), empty when there is none.
std::string_view FileExtension(std::string_view path);

// The format a file name's extension names (letter case ignored), or null.
const PictureFormat* PictureFormatOfName(std::string_view path);

// Every extension, as "bmp, tga, jpg, jpeg, pcx or png", for messages.
std::string PictureExtensionsText();

}  // namespace brisol
