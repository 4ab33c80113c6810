// Run-length DIB pixels: RLE8, RLE4 and OS/2 RLE24, bottom-up.
//
// A pair (n, c) with n > 0 paints n pixels (RLE4: the two nibbles of c in
// turn; RLE24: c is three bytes blue, green, red). An escape 0 is followed by
// 0 (end of line), 1 (end of bitmap), 2 dx dy (move right and up) or n >= 3
// (n literal pixels, padded to a 16-bit boundary).
//
// Some encoders code whole padded rows, as the uncompressed form stores
// them, and some runs reach past the end of the row: what lies beyond the
// row is dropped (as other decoders do), and the row goes on only with an
// end of line or a delta.
#include <algorithm>
#include <cstring>

#include "imageio/codecs/ByteReader.h"
#include "imageio/codecs/DibParts.h"

namespace brisol {
namespace {

class RleCanvas {
 public:
  RleCanvas(const DibLayout& l, const DibPalette& palette, Bgr24Image& image)
      : m_width(l.width), m_height(l.height), m_palette(palette), m_image(image) {
    const long long strideBits = (static_cast<long long>(l.width) * l.bitCount + 31) / 32 * 32;
    m_paddedWidth = static_cast<int>(strideBits / l.bitCount);
  }

  std::uint8_t* At(int x, int y) {
    return m_image.bits.data() + static_cast<std::size_t>(y) * m_image.stride + 3 * static_cast<std::size_t>(x);
  }
  void PutIndex(int x, int y, unsigned index) {
    if (x < m_width) std::memcpy(At(x, y), m_palette[index & 0xFF].data(), 3);
  }
  void PutBgr(int x, int y, const std::uint8_t* bgr) {
    if (x < m_width) std::memcpy(At(x, y), bgr, 3);
  }
  // The pixels a row may be coded with, padding included.
  int paddedWidth() const { return m_paddedWidth; }
  int height() const { return m_height; }

 private:
  int m_width;
  int m_height;
  int m_paddedWidth = 0;
  const DibPalette& m_palette;
  Bgr24Image& m_image;
};

}  // namespace

int DecodeDibRle(Bytes dib, const DibLayout& l, const DibPalette& palette, Bgr24Image& image) {
  if (l.bitsOffset > dib.size()) return kImgErrRead;
  ByteReader in(dib.subspan(static_cast<std::size_t>(l.bitsOffset)));
  RleCanvas canvas(l, palette, image);
  const int pixelBytes = l.coding == DibCoding::kRle24 ? 3 : 1;
  int x = 0;
  int y = 0;
  while (y < canvas.height()) {
    std::uint8_t count = 0;
    if (!in.U8(count)) return kImgErrRead;
    if (count > 0) {
      Bytes value;
      if (!in.Take(pixelBytes, value)) return kImgErrRead;
      const int n = std::min<int>(count, canvas.paddedWidth() - x);
      for (int i = 0; i < n; ++i, ++x) {
        if (l.coding == DibCoding::kRle8)
          canvas.PutIndex(x, y, value[0]);
        else if (l.coding == DibCoding::kRle4)
          canvas.PutIndex(x, y, (i & 1) ? value[0] & 0x0F : value[0] >> 4);
        else
          canvas.PutBgr(x, y, value.data());
      }
      continue;
    }
    std::uint8_t code = 0;
    if (!in.U8(code)) return kImgErrRead;
    if (code == 0) {  // end of line
      x = 0;
      ++y;
    } else if (code == 1) {  // end of bitmap: the rest stays black
      break;
    } else if (code == 2) {  // delta
      std::uint8_t dx = 0;
      std::uint8_t dy = 0;
      if (!in.U8(dx) || !in.U8(dy)) return kImgErrRead;
      x += dx;
      y += dy;
      const bool inside = x <= canvas.paddedWidth() && y < canvas.height();
      const bool justPastEnd = y == canvas.height() && x == 0;
      if (!inside && !justPastEnd) return kImgErrCorrupt;
    } else {  // literal pixels
      const int n = code;
      std::uint64_t bytes = l.coding == DibCoding::kRle4 ? (n + 1) / 2 : static_cast<std::uint64_t>(n) * pixelBytes;
      Bytes literal;
      if (!in.Take(bytes, literal)) return kImgErrRead;
      const int fits = std::min(n, canvas.paddedWidth() - x);
      for (int i = 0; i < fits; ++i, ++x) {
        if (l.coding == DibCoding::kRle8)
          canvas.PutIndex(x, y, literal[i]);
        else if (l.coding == DibCoding::kRle4)
          canvas.PutIndex(x, y, (i & 1) ? literal[i / 2] & 0x0F : literal[i / 2] >> 4);
        else
          canvas.PutBgr(x, y, literal.data() + 3 * i);
      }
      // Literal blocks end on a 16-bit boundary; a missing last pad byte is
      // only a problem if more data was expected.
      if ((bytes & 1) != 0 && !in.Skip(1)) in.Seek(in.Size());
    }
  }
  return kImgOk;
}

}  // namespace brisol
