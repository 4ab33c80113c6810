#include "imageio/codecs/DibDecoder.h"

#include <utility>

#include "imageio/codecs/DibParts.h"
#include "imageio/codecs/MemoryBudget.h"

namespace brisol {
namespace {

// The JPEG or PNG stream inside a DIB: from the pixel offset, as long as the
// image size says when that fits, otherwise to the end.
Bytes EmbeddedStream(Bytes dib, const DibLayout& l) {
  Bytes rest = dib.subspan(static_cast<std::size_t>(l.bitsOffset));
  if (l.sizeImage != 0 && l.sizeImage <= rest.size()) rest = rest.first(l.sizeImage);
  return rest;
}

// The fewest bytes a DIB of run-length pixels can hold its picture in; 0
// for the others (uncompressed rows are checked whole).
std::uint64_t LeastDibBytes(const DibLayout& l) {
  const bool rle = l.coding == DibCoding::kRle8 || l.coding == DibCoding::kRle4 || l.coding == DibCoding::kRle24;
  const std::uint64_t data = rle ? LeastDataBytes(static_cast<long long>(l.width) * l.height) : 0;
  return data == 0 ? 0 : l.bitsOffset + data;
}

}  // namespace

int ReadDibInfo(Bytes dib, std::int64_t bitsOffset, ImageInfo& info) {
  DibLayout layout;
  if (const int rc = ParseDibLayout(dib, bitsOffset, layout); rc != kImgOk) return rc;
  if (layout.coding == DibCoding::kJpeg) return ReadJpegInfo(EmbeddedStream(dib, layout), info);
  if (layout.coding == DibCoding::kPng) return ReadPngInfo(EmbeddedStream(dib, layout), info);
  info.width = layout.width;
  info.height = layout.height;
  info.depth = layout.bitCount;
  info.leastFileBytes = LeastDibBytes(layout);
  return kImgOk;
}

int DecodeDib(Bytes dib, std::int64_t bitsOffset, Bgr24Image& out) {
  DibLayout layout;
  if (const int rc = ParseDibLayout(dib, bitsOffset, layout); rc != kImgOk) return rc;
  if (layout.coding == DibCoding::kJpeg) return DecodeJpeg(EmbeddedStream(dib, layout), out);
  if (layout.coding == DibCoding::kPng) return DecodePng(EmbeddedStream(dib, layout), out);

  const bool rle =
      layout.coding == DibCoding::kRle8 || layout.coding == DibCoding::kRle4 || layout.coding == DibCoding::kRle24;
  // Uncompressed rows must all be there before the picture is allocated, and
  // run-length data must be more than a token for the picture it claims.
  if (!rle && DibRowDataSize(layout) > dib.size() - layout.bitsOffset) return kImgErrRead;
  if (rle && dib.size() < LeastDibBytes(layout)) return kImgErrTooLittleData;
  const DibPalette palette = LoadDibPalette(dib, layout);
  Bgr24Image image;
  if (const int rc = AllocBgr24(image, layout.width, layout.height); rc != kImgOk) return rc;
  const int rc = rle ? DecodeDibRle(dib, layout, palette, image) : DecodeDibRows(dib, layout, palette, image);
  if (rc != kImgOk) return rc;
  out = std::move(image);
  return kImgOk;
}

}  // namespace brisol
