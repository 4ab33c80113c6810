// TGA files: colour-mapped (types 1 and 9), true-colour (2 and 10) and
// greyscale (3 and 11) pictures, uncompressed or run-length encoded, in all
// four origins; and the 24-bit uncompressed writer.
//
// Decoding rules: 15/16-bit colours widen their 5-bit channels with
// ScaleChannelTo8; alpha and attribute bits are dropped; a colour-map index
// outside the map gives black; a run-length packet may go on into the next
// row but not beyond the picture (corrupt); a file whose pixels end early is
// refused as truncated.
#include <array>
#include <cstring>
#include <utility>
#include <vector>

#include "imageio/codecs/ByteReader.h"
#include "imageio/codecs/ByteWriter.h"
#include "imageio/codecs/ChannelScale.h"

namespace brisol {
namespace {

constexpr std::size_t kTgaHeaderSize = 18;
constexpr std::uint8_t kDescRightToLeft = 0x10;
constexpr std::uint8_t kDescTopToBottom = 0x20;
constexpr std::uint8_t kDescInterleave = 0xC0;

enum class TgaKind { kMapped = 1, kTrueColour = 2, kGrey = 3 };

struct TgaHeader {
  std::uint8_t idLength = 0;
  std::uint8_t colorMapType = 0;
  std::uint8_t imageType = 0;
  std::uint16_t mapFirst = 0;
  std::uint16_t mapLength = 0;
  std::uint8_t mapBits = 0;
  int width = 0;
  int height = 0;
  int bits = 0;
  std::uint8_t descriptor = 0;
  TgaKind kind = TgaKind::kTrueColour;
  bool rle = false;
  std::uint64_t mapOffset = 0;
  std::uint64_t dataOffset = 0;
};

int ParseTgaHeader(Bytes file, TgaHeader& h) {
  if (file.size() < kTgaHeaderSize) return kImgErrRead;
  const std::uint8_t* p = file.data();
  h.idLength = p[0];
  h.colorMapType = p[1];
  h.imageType = p[2];
  h.mapFirst = LoadU16LE(p + 3);
  h.mapLength = LoadU16LE(p + 5);
  h.mapBits = p[7];
  h.width = LoadU16LE(p + 12);
  h.height = LoadU16LE(p + 14);
  h.bits = p[16];
  h.descriptor = p[17];

  switch (h.imageType) {
    case 1:
    case 2:
    case 3:
    case 9:
    case 10:
    case 11:
      break;
    case 0:
    case 32:
    case 33:
      return kImgErrUnsupported;  // no picture, or Huffman coded
    default:
      return kImgErrSignature;
  }
  if (h.colorMapType > 1) return kImgErrSignature;
  h.kind = static_cast<TgaKind>(h.imageType & 7);
  h.rle = (h.imageType & 8) != 0;
  switch (h.kind) {
    case TgaKind::kMapped:
      if (h.colorMapType != 1 || h.mapLength == 0) return kImgErrCorrupt;
      if (h.bits != 8 && h.bits != 16) return kImgErrUnsupported;
      if (h.mapBits != 15 && h.mapBits != 16 && h.mapBits != 24 && h.mapBits != 32) return kImgErrUnsupported;
      break;
    case TgaKind::kTrueColour:
      if (h.bits != 15 && h.bits != 16 && h.bits != 24 && h.bits != 32) return kImgErrUnsupported;
      break;
    case TgaKind::kGrey:
      if (h.bits != 8 && h.bits != 16) return kImgErrUnsupported;
      break;
  }
  if ((h.descriptor & kDescInterleave) != 0) return kImgErrUnsupported;
  if (h.width == 0 || h.height == 0) return kImgErrDimensions;
  if (static_cast<long long>(h.width) * h.height > kMaxImagePixels) return kImgErrTooLarge;

  h.mapOffset = kTgaHeaderSize + h.idLength;
  const std::uint64_t mapBytes = h.colorMapType == 1 ? std::uint64_t{h.mapLength} * ((h.mapBits + 7) / 8) : 0;
  h.dataOffset = h.mapOffset + mapBytes;
  if (h.dataOffset > file.size()) return kImgErrRead;
  return kImgOk;
}

void Rgb555ToBgr(std::uint16_t v, std::uint8_t* dst) {
  dst[0] = ScaleChannelTo8(v & 0x1F, 5);
  dst[1] = ScaleChannelTo8((v >> 5) & 0x1F, 5);
  dst[2] = ScaleChannelTo8((v >> 10) & 0x1F, 5);
}

// Turns the file's pixels into blue-green-red.
class TgaPixelConverter {
 public:
  TgaPixelConverter(Bytes file, const TgaHeader& h) : m_kind(h.kind), m_bytes((h.bits + 7) / 8) {
    if (m_kind != TgaKind::kMapped) return;
    m_map.assign(std::size_t{1} << h.bits, {0, 0, 0});
    const int entryBytes = (h.mapBits + 7) / 8;
    const std::uint8_t* e = file.data() + h.mapOffset;
    for (std::size_t i = 0; i < h.mapLength; ++i, e += entryBytes) {
      const std::size_t index = h.mapFirst + i;
      if (index >= m_map.size()) break;
      if (entryBytes == 2)
        Rgb555ToBgr(LoadU16LE(e), m_map[index].data());
      else
        m_map[index] = {e[0], e[1], e[2]};
    }
  }

  int bytesPerPixel() const { return m_bytes; }

  void operator()(const std::uint8_t* src, std::uint8_t* dst) const {
    switch (m_kind) {
      case TgaKind::kMapped: {
        const std::size_t index = m_bytes == 1 ? src[0] : LoadU16LE(src);
        std::memcpy(dst, m_map[index].data(), 3);
        break;
      }
      case TgaKind::kTrueColour:
        if (m_bytes == 2)
          Rgb555ToBgr(LoadU16LE(src), dst);
        else
          std::memcpy(dst, src, 3);
        break;
      case TgaKind::kGrey:  // a 16-bit grey pixel is grey then alpha
        dst[0] = dst[1] = dst[2] = src[0];
        break;
    }
  }

 private:
  TgaKind m_kind;
  int m_bytes;
  std::vector<std::array<std::uint8_t, 3>> m_map;
};

// Places pixels in file order, whatever the origin.
class TgaPixelSink {
 public:
  TgaPixelSink(const TgaHeader& h, Bgr24Image& image)
      : m_image(image),
        m_rightToLeft((h.descriptor & kDescRightToLeft) != 0),
        m_topDown((h.descriptor & kDescTopToBottom) != 0) {}

  std::uint8_t* Next() {
    const int x = m_rightToLeft ? m_image.width - 1 - m_col : m_col;
    const int blockRow = m_topDown ? m_image.height - 1 - m_row : m_row;
    if (++m_col == m_image.width) {
      m_col = 0;
      ++m_row;
    }
    return m_image.bits.data() + static_cast<std::size_t>(blockRow) * m_image.stride + 3 * static_cast<std::size_t>(x);
  }

 private:
  Bgr24Image& m_image;
  bool m_rightToLeft;
  bool m_topDown;
  int m_col = 0;
  int m_row = 0;
};

int DecodeTgaPixels(ByteReader& in, std::uint64_t total, const TgaPixelConverter& convert, bool rle,
                    TgaPixelSink& sink) {
  const int bpp = convert.bytesPerPixel();
  if (!rle) {
    Bytes all;
    if (!in.Take(total * bpp, all)) return kImgErrRead;
    for (std::uint64_t i = 0; i < total; ++i) convert(all.data() + i * bpp, sink.Next());
    return kImgOk;
  }
  std::uint64_t done = 0;
  while (done < total) {
    std::uint8_t packet = 0;
    if (!in.U8(packet)) return kImgErrRead;
    const unsigned n = (packet & 0x7Fu) + 1;
    Bytes data;
    if (!in.Take((packet & 0x80) ? bpp : static_cast<std::uint64_t>(n) * bpp, data)) return kImgErrRead;
    if (n > total - done) return kImgErrCorrupt;
    if (packet & 0x80) {
      std::uint8_t bgr[3];
      convert(data.data(), bgr);
      for (unsigned i = 0; i < n; ++i) std::memcpy(sink.Next(), bgr, 3);
    } else {
      for (unsigned i = 0; i < n; ++i) convert(data.data() + static_cast<std::size_t>(i) * bpp, sink.Next());
    }
    done += n;
  }
  return kImgOk;
}

}  // namespace

int ReadTgaInfo(Bytes file, ImageInfo& info) {
  TgaHeader h;
  if (const int rc = ParseTgaHeader(file, h); rc != kImgOk) return rc;
  info.width = h.width;
  info.height = h.height;
  info.depth = h.bits;
  return kImgOk;
}

int DecodeTga(Bytes file, Bgr24Image& out) {
  TgaHeader h;
  if (const int rc = ParseTgaHeader(file, h); rc != kImgOk) return rc;
  const std::uint64_t total = static_cast<std::uint64_t>(h.width) * h.height;
  const std::uint64_t bpp = (h.bits + 7) / 8;
  const std::uint64_t available = file.size() - h.dataOffset;
  // The least data that can hold the picture: every pixel, or for run-length
  // data one 128-pixel run packet per 128 pixels.
  const std::uint64_t least = h.rle ? (total + 127) / 128 * (1 + bpp) : total * bpp;
  if (available < least) return kImgErrRead;

  const TgaPixelConverter convert(file, h);
  Bgr24Image image;
  if (const int rc = AllocBgr24(image, h.width, h.height); rc != kImgOk) return rc;
  ByteReader in(file);
  in.Seek(h.dataOffset);
  TgaPixelSink sink(h, image);
  if (const int rc = DecodeTgaPixels(in, total, convert, h.rle, sink); rc != kImgOk) return rc;
  out = std::move(image);
  return kImgOk;
}

int EncodeTga(const PixelBlock& picture, std::vector<std::uint8_t>& out) {
  if (!IsEncodablePicture(picture)) return kImgErrArgument;
  if (picture.width > 0xFFFF || picture.height > 0xFFFF) return kImgErrDimensions;
  static constexpr char kFooterSignature[] = "TRUEVISION-XFILE.";  // with its closing zero: 18 bytes
  const std::uint64_t rowBytes = static_cast<std::uint64_t>(picture.width) * 3;
  const std::uint64_t size = kTgaHeaderSize + rowBytes * picture.height + 8 + sizeof kFooterSignature;
  std::uint8_t* p = AppendZeros(out, size);
  if (p == nullptr) return kImgErrNoMemory;
  p[2] = 2;  // uncompressed true colour, no ID, no colour map
  StoreU16LE(p + 12, static_cast<std::uint32_t>(picture.width));
  StoreU16LE(p + 14, static_cast<std::uint32_t>(picture.height));
  p[16] = 24;
  p[17] = 0;  // origin bottom left: the block's own row order
  std::uint8_t* rows = p + kTgaHeaderSize;
  for (int r = 0; r < picture.height; ++r) {
    std::memcpy(rows + rowBytes * r, picture.bits + static_cast<std::ptrdiff_t>(r) * picture.stride,
                static_cast<std::size_t>(rowBytes));
  }
  // Footer: no extension area, no developer directory.
  std::memcpy(rows + rowBytes * picture.height + 8, kFooterSignature, sizeof kFooterSignature);
  return kImgOk;
}

}  // namespace brisol
