// The pieces of the DIB decoder shared by its source files.
#pragma once

#include <array>
#include <cstdint>

#include "imageio/codecs/DibDecoder.h"

namespace brisol {

// Colour table entries as blue, green, red; entries the DIB lacks are black.
using DibPalette = std::array<std::array<std::uint8_t, 3>, 256>;

// The colour table of a checked layout.
DibPalette LoadDibPalette(Bytes dib, const DibLayout& layout);

// Uncompressed rows (palette, 16/24/32-bit, bit fields) into image, which
// has the layout's size. kImgErrRead when the rows are not all there.
int DecodeDibRows(Bytes dib, const DibLayout& layout, const DibPalette& palette, Bgr24Image& image);

// The bytes the uncompressed rows need from the pixel offset on: every row
// with its padding but the last, which needs only its pixels.
std::uint64_t DibRowDataSize(const DibLayout& layout);

// RLE8, RLE4 or RLE24 data into a black image of the layout's size.
int DecodeDibRle(Bytes dib, const DibLayout& layout, const DibPalette& palette, Bgr24Image& image);

}  // namespace brisol
