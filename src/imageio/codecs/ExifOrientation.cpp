#include "imageio/codecs/ExifOrientation.h"

#include <cstring>
#include <utility>

namespace brisol {
namespace {

constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kTypeShort = 3;

struct TiffReader {
  Bytes tiff;
  bool bigEndian = false;

  bool Has(std::size_t offset, std::size_t n) const { return offset <= tiff.size() && n <= tiff.size() - offset; }
  std::uint16_t U16(std::size_t at) const {
    const std::uint8_t* p = tiff.data() + at;
    return bigEndian ? static_cast<std::uint16_t>(p[0] << 8 | p[1]) : static_cast<std::uint16_t>(p[1] << 8 | p[0]);
  }
  std::uint32_t U32(std::size_t at) const {
    const std::uint8_t* p = tiff.data() + at;
    return bigEndian ? (std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3])
                     : (std::uint32_t{p[3]} << 24 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0]);
  }
};

}  // namespace

int ExifOrientation(Bytes app1) {
  static constexpr std::uint8_t kExif[6] = {'E', 'x', 'i', 'f', 0, 0};
  if (app1.size() < sizeof kExif || std::memcmp(app1.data(), kExif, sizeof kExif) != 0) return kOrientNormal;
  TiffReader r{app1.subspan(sizeof kExif)};
  if (!r.Has(0, 8)) return kOrientNormal;
  if (r.tiff[0] == 'I' && r.tiff[1] == 'I') {
    r.bigEndian = false;
  } else if (r.tiff[0] == 'M' && r.tiff[1] == 'M') {
    r.bigEndian = true;
  } else {
    return kOrientNormal;
  }
  if (r.U16(2) != 42) return kOrientNormal;
  const std::uint32_t ifd = r.U32(4);
  if (!r.Has(ifd, 2)) return kOrientNormal;
  const unsigned count = r.U16(ifd);
  for (unsigned i = 0; i < count; ++i) {
    const std::size_t entry = ifd + 2 + static_cast<std::size_t>(i) * 12;
    if (!r.Has(entry, 12)) return kOrientNormal;
    if (r.U16(entry) != kOrientationTag) continue;
    if (r.U16(entry + 2) != kTypeShort || r.U32(entry + 4) < 1) return kOrientNormal;
    const int value = r.U16(entry + 8);
    return value >= kOrientNormal && value <= kOrientRotate270 ? value : kOrientNormal;
  }
  return kOrientNormal;
}

int OrientUpright(const Bgr24Image& src, int orientation, Bgr24Image& out) {
  if (!src.IsValid()) return kImgErrArgument;
  if (orientation < kOrientNormal || orientation > kOrientRotate270) orientation = kOrientNormal;
  const int w = src.width, h = src.height;
  const bool swap = SwapsSides(orientation);
  Bgr24Image result;
  if (int rc = AllocBgr24(result, swap ? h : w, swap ? w : h); rc != kImgOk) return rc;
  const PixelBlock in = src.Block();
  const PixelBlock to = result.Block();
  for (int y = 0; y < to.height; ++y) {
    std::uint8_t* row = to.Row(y);
    if (orientation == kOrientNormal || orientation == kOrientFlip) {
      std::memcpy(row, in.Row(orientation == kOrientNormal ? y : h - 1 - y), static_cast<std::size_t>(w) * 3);
      continue;
    }
    for (int x = 0; x < to.width; ++x) {
      int sx = x, sy = y;  // the stored pixel shown at (x, y)
      switch (orientation) {
        case kOrientMirror:
          sx = w - 1 - x;
          break;
        case kOrientRotate180:
          sx = w - 1 - x;
          sy = h - 1 - y;
          break;
        case kOrientTranspose:
          sx = y;
          sy = x;
          break;
        case kOrientRotate90:
          sx = y;
          sy = h - 1 - x;
          break;
        case kOrientTransverse:
          sx = w - 1 - y;
          sy = h - 1 - x;
          break;
        case kOrientRotate270:
          sx = w - 1 - y;
          sy = x;
          break;
        default:
          break;
      }
      const std::uint8_t* p = in.Pixel(sx, sy);
      row[3 * x] = p[0];
      row[3 * x + 1] = p[1];
      row[3 * x + 2] = p[2];
    }
  }
  out = std::move(result);
  return kImgOk;
}

}  // namespace brisol
