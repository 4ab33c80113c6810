// Reading and checking a DIB header: its kind, size, depth, compression,
// bit-field masks and where the colour table and the pixels lie.
#include <algorithm>
#include <bit>
#include <cstring>

#include "imageio/codecs/ByteReader.h"
#include "imageio/codecs/DibDecoder.h"
#include "raster/Types.h"

namespace brisol {
namespace {

constexpr std::uint32_t kCompAlphaBitFields = 6;

bool IsWindowsHeaderSize(std::uint32_t size) {
  return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

// A mask is usable when its set bits are contiguous and lie within the pixel.
bool MaskIsUsable(std::uint32_t mask, int bitCount) {
  if (mask == 0) return true;
  if (bitCount < 32 && (mask >> bitCount) != 0) return false;
  const std::uint32_t shifted = mask >> std::countr_zero(mask);
  return (shifted & (shifted + 1)) == 0;
}

int ChooseCoding(DibLayout& l) {
  const std::uint32_t c = l.compression;
  if (l.coreHeader) {
    l.coding = DibCoding::kRgb;
  } else if (l.os2Header) {
    switch (c) {
      case BI_RGB:
        l.coding = DibCoding::kRgb;
        break;
      case BI_RLE8:
        l.coding = DibCoding::kRle8;
        break;
      case BI_RLE4:
        l.coding = DibCoding::kRle4;
        break;
      case 4:
        l.coding = DibCoding::kRle24;
        break;
      default:
        return kImgErrUnsupported;  // 3 is OS/2 Huffman 1D
    }
  } else {
    switch (c) {
      case BI_RGB:
        l.coding = DibCoding::kRgb;
        break;
      case BI_RLE8:
        l.coding = DibCoding::kRle8;
        break;
      case BI_RLE4:
        l.coding = DibCoding::kRle4;
        break;
      case BI_BITFIELDS:
      case kCompAlphaBitFields:
        l.coding = DibCoding::kBitFields;
        break;
      case BI_JPEG:
        l.coding = DibCoding::kJpeg;
        return kImgOk;
      case BI_PNG:
        l.coding = DibCoding::kPng;
        return kImgOk;
      default:
        return kImgErrUnsupported;
    }
  }
  const int b = l.bitCount;
  switch (l.coding) {
    case DibCoding::kRgb:
      if (b != 1 && b != 2 && b != 4 && b != 8 && b != 16 && b != 24 && b != 32) return kImgErrUnsupported;
      break;
    case DibCoding::kRle8:
      if (b != 8) return kImgErrCorrupt;
      break;
    case DibCoding::kRle4:
      if (b != 4) return kImgErrCorrupt;
      break;
    case DibCoding::kRle24:
      if (b != 24) return kImgErrCorrupt;
      break;
    case DibCoding::kBitFields:
      if (b != 16 && b != 24 && b != 32) return kImgErrCorrupt;
      break;
    default:
      break;
  }
  const bool rle = l.coding == DibCoding::kRle8 || l.coding == DibCoding::kRle4 || l.coding == DibCoding::kRle24;
  if (rle && l.topDown) return kImgErrCorrupt;
  return kImgOk;
}

}  // namespace

int ParseDibLayout(Bytes dib, std::int64_t bitsOffset, DibLayout& layout) {
  ByteReader reader(dib);
  std::uint32_t headerSize = 0;
  if (!reader.U32(headerSize)) return kImgErrRead;
  if (headerSize < 12 || (headerSize > 12 && headerSize < 16)) return kImgErrSignature;
  const bool windows = IsWindowsHeaderSize(headerSize);
  if (headerSize != 12 && !windows && headerSize > 64) return kImgErrUnsupported;
  if (dib.size() < headerSize) return kImgErrRead;

  DibLayout l;
  l.headerSize = headerSize;
  l.coreHeader = headerSize == 12;
  l.os2Header = !l.coreHeader && !windows;
  const std::uint8_t* h = dib.data();
  std::uint32_t clrUsed = 0;
  long long width = 0;
  long long height = 0;
  if (l.coreHeader) {
    width = LoadU16LE(h + 4);
    height = LoadU16LE(h + 6);
    l.bitCount = LoadU16LE(h + 10);
  } else {
    // Shorter OS/2 2.x headers leave out their trailing fields: zero.
    std::uint8_t full[124] = {};
    std::memcpy(full, h, std::min<std::size_t>(headerSize, sizeof full));
    width = static_cast<std::int32_t>(LoadU32LE(full + 4));
    height = static_cast<std::int32_t>(LoadU32LE(full + 8));
    l.bitCount = LoadU16LE(full + 14);
    l.compression = LoadU32LE(full + 16);
    l.sizeImage = LoadU32LE(full + 20);
    clrUsed = LoadU32LE(full + 32);
    if (windows && headerSize >= 52) {
      for (int i = 0; i < 3; ++i) l.masks[i] = LoadU32LE(full + 40 + 4 * i);
      if (headerSize >= 56) l.masks[3] = LoadU32LE(full + 52);
    }
  }
  if (height < 0) {
    l.topDown = true;
    height = -height;
  }
  if (width <= 0 || height <= 0 || height > INT32_MAX) return kImgErrDimensions;
  if (width * height > kMaxImagePixels) return kImgErrTooLarge;
  l.width = static_cast<int>(width);
  l.height = static_cast<int>(height);

  if (const int rc = ChooseCoding(l); rc != kImgOk) return rc;

  // Bit-field masks: after a 40-byte header, inside the longer ones.
  l.paletteOffset = headerSize;
  if (l.coding == DibCoding::kBitFields) {
    if (headerSize == 40) {
      const int count = l.compression == kCompAlphaBitFields ? 4 : 3;
      if (!reader.Seek(headerSize)) return kImgErrRead;
      for (int i = 0; i < count; ++i) {
        if (!reader.U32(l.masks[i])) return kImgErrRead;
      }
      l.paletteOffset = headerSize + 4u * static_cast<unsigned>(count);
    }
    if ((l.masks[0] | l.masks[1] | l.masks[2]) == 0) return kImgErrCorrupt;
    for (std::uint32_t mask : l.masks) {
      if (!MaskIsUsable(mask, l.bitCount)) return kImgErrCorrupt;
    }
  } else if (l.coding == DibCoding::kRgb && l.bitCount == 16) {
    l.masks[0] = 0x7C00;
    l.masks[1] = 0x03E0;
    l.masks[2] = 0x001F;
    l.masks[3] = 0;
  } else if (l.coding == DibCoding::kRgb && l.bitCount == 32) {
    l.masks[0] = 0xFF0000;
    l.masks[1] = 0x00FF00;
    l.masks[2] = 0x0000FF;
    l.masks[3] = 0;
  } else {
    std::fill(std::begin(l.masks), std::end(l.masks), 0u);
  }

  // The colour table: clrUsed entries (all 2^n for 0) even above 8 bits,
  // where it only serves display on palette devices.
  l.paletteEntrySize = l.coreHeader ? 3 : 4;
  const bool indexed =
      l.bitCount <= 8 && (l.coding == DibCoding::kRgb || l.coding == DibCoding::kRle8 || l.coding == DibCoding::kRle4);
  const std::uint64_t indexRange = indexed ? (1u << l.bitCount) : 0;
  const std::uint64_t declared = (clrUsed != 0 && !l.coreHeader) ? clrUsed : indexRange;
  std::uint64_t entries = std::min(declared, indexRange);
  if (bitsOffset == kDibPacked) {
    l.bitsOffset = l.paletteOffset + declared * static_cast<std::uint64_t>(l.paletteEntrySize);
  } else {
    if (bitsOffset < 0 || static_cast<std::uint64_t>(bitsOffset) < l.paletteOffset) return kImgErrCorrupt;
    l.bitsOffset = static_cast<std::uint64_t>(bitsOffset);
    // Some OS/2 2.x writers keep the 3-byte entries of the older header: the
    // pixel offset tells.
    const std::uint64_t gap = l.bitsOffset - l.paletteOffset;
    if (l.os2Header && entries > 0 && gap == entries * 3) l.paletteEntrySize = 3;
    // A colour table cut short by the pixel offset keeps the entries that fit.
    entries = std::min<std::uint64_t>(entries, gap / l.paletteEntrySize);
  }
  if (l.bitsOffset > dib.size()) return kImgErrRead;
  l.paletteEntries = static_cast<std::uint32_t>(entries);

  layout = l;
  return kImgOk;
}

}  // namespace brisol
