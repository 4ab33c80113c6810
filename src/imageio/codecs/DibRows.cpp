// Uncompressed DIB rows: palette indices, 24-bit pixels and bit fields.
#include <bit>
#include <cstring>
#include <vector>

#include "imageio/codecs/ByteReader.h"
#include "imageio/codecs/ChannelScale.h"
#include "imageio/codecs/DibParts.h"

namespace brisol {
namespace {

// One bit-field channel: where it lies and what each value gives.
class ChannelField {
 public:
  explicit ChannelField(std::uint32_t mask) : m_mask(mask) {
    if (mask == 0) return;
    m_shift = std::countr_zero(mask);
    m_bits = std::popcount(mask);
    if (m_bits <= 16) {
      m_table.resize(std::size_t{1} << m_bits);
      for (std::uint32_t v = 0; v < m_table.size(); ++v) m_table[v] = ScaleChannelTo8(v, m_bits);
    }
  }
  std::uint8_t operator()(std::uint32_t pixel) const {
    if (m_mask == 0) return 0;
    const std::uint32_t v = (pixel & m_mask) >> m_shift;
    return m_table.empty() ? ScaleChannelTo8(v, m_bits) : m_table[v];
  }

 private:
  std::uint32_t m_mask = 0;
  int m_shift = 0;
  int m_bits = 0;
  std::vector<std::uint8_t> m_table;
};

std::uint64_t RowStride(const DibLayout& l) {
  return ((static_cast<std::uint64_t>(l.width) * l.bitCount + 31) / 32) * 4;
}

void IndexedRow(const std::uint8_t* src, int width, int bits, const DibPalette& palette, std::uint8_t* dst) {
  const unsigned mask = (1u << bits) - 1;
  for (int x = 0; x < width; ++x) {
    const std::uint64_t bit = static_cast<std::uint64_t>(x) * bits;
    const unsigned shift = 8 - bits - static_cast<unsigned>(bit % 8);
    const unsigned index = (src[bit / 8] >> shift) & mask;
    std::memcpy(dst + 3 * static_cast<std::size_t>(x), palette[index].data(), 3);
  }
}

}  // namespace

DibPalette LoadDibPalette(Bytes dib, const DibLayout& layout) {
  DibPalette palette{};
  const std::uint8_t* p = dib.data() + layout.paletteOffset;
  for (std::uint32_t i = 0; i < layout.paletteEntries; ++i, p += layout.paletteEntrySize) {
    palette[i] = {p[0], p[1], p[2]};
  }
  return palette;
}

std::uint64_t DibRowDataSize(const DibLayout& l) {
  const std::uint64_t lastRow = (static_cast<std::uint64_t>(l.width) * l.bitCount + 7) / 8;
  return RowStride(l) * static_cast<std::uint64_t>(l.height - 1) + lastRow;
}

int DecodeDibRows(Bytes dib, const DibLayout& l, const DibPalette& palette, Bgr24Image& image) {
  if (l.bitsOffset > dib.size() || DibRowDataSize(l) > dib.size() - l.bitsOffset) return kImgErrRead;
  const std::uint64_t stride = RowStride(l);
  const ChannelField red(l.masks[0]);
  const ChannelField green(l.masks[1]);
  const ChannelField blue(l.masks[2]);
  const int bytesPerPixel = l.bitCount / 8;
  for (int row = 0; row < l.height; ++row) {
    const std::uint8_t* src = dib.data() + l.bitsOffset + stride * static_cast<std::uint64_t>(row);
    const int blockRow = l.topDown ? l.height - 1 - row : row;
    std::uint8_t* dst = image.bits.data() + static_cast<std::size_t>(blockRow) * image.stride;
    if (l.bitCount <= 8) {
      IndexedRow(src, l.width, l.bitCount, palette, dst);
    } else if (l.bitCount == 24 && l.coding == DibCoding::kRgb) {
      std::memcpy(dst, src, static_cast<std::size_t>(l.width) * 3);
    } else {
      for (int x = 0; x < l.width; ++x, src += bytesPerPixel, dst += 3) {
        std::uint32_t v = 0;
        if (bytesPerPixel == 2)
          v = LoadU16LE(src);
        else if (bytesPerPixel == 3)
          v = src[0] | (src[1] << 8) | (static_cast<std::uint32_t>(src[2]) << 16);
        else
          v = LoadU32LE(src);
        dst[0] = blue(v);
        dst[1] = green(v);
        dst[2] = red(v);
      }
    }
  }
  return kImgOk;
}

}  // namespace brisol
