// The one decoder of device-independent bitmaps: a header (12-byte core,
// 16..64-byte OS/2 2.x, 40-byte info, 52/56-byte, 108-byte or 124-byte),
// the colour table and the pixels, in every depth, bit-field and
// run-length form. BMP files, packed DIBs from the clipboard and painting a
// DIB all come through here.
//
// Decoding rules:
// - 1, 2, 4 and 8-bit pixels index the colour table; an index beyond the
//   entries present gives black.
// - Bit-field channels are widened to 8 bits by ScaleChannelTo8 (5 bits:
//   v << 3 | v >> 2). Masks must be contiguous and fit the pixel; alpha is
//   dropped.
// - Run-length pictures (RLE8, RLE4, OS/2 RLE24) are bottom-up only. A run
//   or literal block may reach into the row's padding (the pixels an
//   uncompressed row of 4-byte multiples would hold), as some encoders code
//   whole padded rows; it is cut off there. One that goes further, or a
//   delta that leaves the row or the picture, is corrupt. Pixels skipped by
//   a delta or left out by an early end of the bitmap are black. Data ending
//   before the picture is complete (without an end-of-bitmap mark) is a
//   truncated file. A picture far larger than its run-length data can
//   stand for is refused before it is allocated (MemoryBudget.h).
// - Uncompressed pixel rows must all be present; only the padding after the
//   last row's pixels may be missing.
// - JPEG and PNG data in a Windows header (compression 4 and 5) are handed
//   to DecodeJpeg / DecodePng.
#pragma once

#include <cstdint>

#include "imageio/codecs/ImageCodec.h"

namespace brisol {

// How the pixels are stored.
enum class DibCoding { kRgb, kRle8, kRle4, kRle24, kBitFields, kJpeg, kPng };

// Says that the pixels follow the colour table directly (a packed DIB).
constexpr std::int64_t kDibPacked = -1;

// A DIB header and where its parts lie, all checked against the data.
struct DibLayout {
  std::uint32_t headerSize = 0;
  bool coreHeader = false;  // 12 bytes, colour table of 3-byte entries
  bool os2Header = false;   // OS/2 2.x: compression 3 is Huffman, 4 is RLE24
  int width = 0;
  int height = 0;  // always positive
  bool topDown = false;
  int bitCount = 0;
  std::uint32_t compression = 0;  // as stored
  DibCoding coding = DibCoding::kRgb;
  std::uint32_t masks[4] = {};  // red, green, blue, alpha for 16/24/32 bits
  std::uint32_t sizeImage = 0;
  std::uint64_t paletteOffset = 0;   // from the start of the DIB
  std::uint32_t paletteEntries = 0;  // entries present (at most 256)
  int paletteEntrySize = 4;
  std::uint64_t bitsOffset = 0;  // from the start of the DIB
};

// Reads and checks the header of dib. bitsOffset is where the pixels begin,
// counted from the start of dib (a BMP file's pixel offset less 14), or
// kDibPacked. For JPEG or PNG data only the header fields are checked, not
// the size.
int ParseDibLayout(Bytes dib, std::int64_t bitsOffset, DibLayout& layout);

// Width, height and bits per pixel; for embedded JPEG or PNG data, those of
// the embedded picture.
int ReadDibInfo(Bytes dib, std::int64_t bitsOffset, ImageInfo& info);

// The whole picture as 24 bits; out is untouched on failure.
int DecodeDib(Bytes dib, std::int64_t bitsOffset, Bgr24Image& out);

}  // namespace brisol
