// BMP files and packed DIBs: the file header around the DIB decoder, and the
// 24-bit writer.
#include <cstring>

#include "imageio/codecs/ByteReader.h"
#include "imageio/codecs/ByteWriter.h"
#include "imageio/codecs/DibDecoder.h"
#include "raster/Types.h"

namespace brisol {
namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kPixelsPerMeter72Dpi = 2835;

// The DIB part of a BMP file and where its pixels begin within it.
int SplitBmpFile(Bytes file, Bytes& dib, std::int64_t& bitsOffset) {
  if (file.size() < 2) return kImgErrRead;
  if (LoadU16LE(file.data()) != kBmpMagic) return kImgErrSignature;
  if (file.size() < kFileHeaderSize) return kImgErrRead;
  const std::uint32_t offBits = LoadU32LE(file.data() + 10);
  if (offBits != 0 && offBits < kFileHeaderSize) return kImgErrCorrupt;
  dib = file.subspan(kFileHeaderSize);
  // A zero offset means the pixels follow the colour table.
  bitsOffset = offBits == 0 ? kDibPacked : static_cast<std::int64_t>(offBits) - kFileHeaderSize;
  return kImgOk;
}

}  // namespace

int ReadBmpInfo(Bytes file, ImageInfo& info) {
  Bytes dib;
  std::int64_t bitsOffset = 0;
  if (const int rc = SplitBmpFile(file, dib, bitsOffset); rc != kImgOk) return rc;
  const int rc = ReadDibInfo(dib, bitsOffset, info);
  if (rc == kImgOk && info.leastFileBytes != 0) info.leastFileBytes += kFileHeaderSize;
  return rc;
}

int DecodeBmp(Bytes file, Bgr24Image& out) {
  Bytes dib;
  std::int64_t bitsOffset = 0;
  if (const int rc = SplitBmpFile(file, dib, bitsOffset); rc != kImgOk) return rc;
  return DecodeDib(dib, bitsOffset, out);
}

int ReadPackedDibInfo(Bytes dib, ImageInfo& info) { return ReadDibInfo(dib, kDibPacked, info); }

int DecodePackedDib(Bytes dib, Bgr24Image& out) { return DecodeDib(dib, kDibPacked, out); }

int EncodeBmp(const PixelBlock& picture, std::vector<std::uint8_t>& out) {
  if (!IsEncodablePicture(picture)) return kImgErrArgument;
  const std::uint64_t rowBytes = static_cast<std::uint64_t>(picture.width) * 3;
  const std::uint64_t stride = (rowBytes + 3) / 4 * 4;
  const std::uint64_t imageSize = stride * static_cast<std::uint64_t>(picture.height);
  const std::uint64_t fileSize = kFileHeaderSize + kInfoHeaderSize + imageSize;
  if (fileSize > UINT32_MAX || picture.height > INT32_MAX) return kImgErrTooLarge;
  std::uint8_t* p = AppendZeros(out, fileSize);
  if (p == nullptr) return kImgErrNoMemory;

  StoreU16LE(p, kBmpMagic);
  StoreU32LE(p + 2, static_cast<std::uint32_t>(fileSize));
  StoreU32LE(p + 10, kFileHeaderSize + kInfoHeaderSize);
  std::uint8_t* h = p + kFileHeaderSize;
  StoreU32LE(h, kInfoHeaderSize);
  StoreU32LE(h + 4, static_cast<std::uint32_t>(picture.width));
  StoreU32LE(h + 8, static_cast<std::uint32_t>(picture.height));  // positive: bottom-up
  StoreU16LE(h + 12, 1);
  StoreU16LE(h + 14, 24);
  StoreU32LE(h + 16, BI_RGB);
  StoreU32LE(h + 20, static_cast<std::uint32_t>(imageSize));
  StoreU32LE(h + 24, kPixelsPerMeter72Dpi);
  StoreU32LE(h + 28, kPixelsPerMeter72Dpi);
  // The block is bottom-up like the file: rows go over in order.
  std::uint8_t* rows = h + kInfoHeaderSize;
  for (int r = 0; r < picture.height; ++r) {
    std::memcpy(rows + stride * static_cast<std::uint64_t>(r),
                picture.bits + static_cast<std::ptrdiff_t>(r) * picture.stride, static_cast<std::size_t>(rowBytes));
  }
  return kImgOk;
}

}  // namespace brisol
