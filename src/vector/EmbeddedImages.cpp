#include "vector/EmbeddedImages.h"

#include <cairo.h>

#include <cstring>

#include "imageio/FileBytes.h"
#include "imageio/codecs/ExifOrientation.h"
#include "imageio/codecs/ImageCodec.h"
#include "vector/CairoScene.h"
#include "vector/VectorScene.h"

#include "logger/Outcome.h"

namespace brisol {
bool JpegBytesStandFor(std::span<const std::uint8_t> jpeg, const SIZE& photo) {
  const std::size_t n = jpeg.size();
  if (n < 4 || jpeg[0] != 0xFF || jpeg[1] != 0xD8) return false;
  std::size_t at = 2;
  bool sized = false;
  while (at + 4 <= n) {
    if (jpeg[at] != 0xFF) return false;
    const std::uint8_t marker = jpeg[at + 1];
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    if (marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
      at += 2;
      continue;
    }
    if (marker == 0xD9 || marker == 0xDA) return sized;  // the image data begins: all is known
    const std::size_t length = (std::size_t{jpeg[at + 2]} << 8) | jpeg[at + 3];
    if (length < 2 || at + 2 + length > n) return false;
    const std::span<const std::uint8_t> payload = jpeg.subspan(at + 4, length - 2);
    if (marker == 0xE1 && ExifOrientation(payload) != kOrientNormal) return false;
    // An Adobe segment may say the colours are not YCbCr; leave such files to the pixels.
    if (marker == 0xEE && payload.size() >= 12 && std::memcmp(payload.data(), "Adobe", 5) == 0 && payload[11] != 1)
      return false;
    if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
      // Only baseline and progressive Huffman frames are read everywhere.
      if (marker != 0xC0 && marker != 0xC1 && marker != 0xC2) return false;
      if (payload.size() < 6) return false;
      const int precision = payload[0];
      const int height = (payload[1] << 8) | payload[2];
      const int width = (payload[3] << 8) | payload[4];
      const int components = payload[5];
      if (precision != 8 || (components != 1 && components != 3)) return false;
      if (width != photo.cx || height != photo.cy) return false;
      sized = true;
    }
    at += 2 + length;
  }
  return false;
}

std::unique_ptr<CDADC> ResampledPicture(const CDADC& picture, const SIZE& size) {
  const CairoSurface own = PictureSurface(picture);
  CairoSurface scaled(cairo_image_surface_create(CAIRO_FORMAT_RGB24, size.cx, size.cy));
  if (!own || cairo_surface_status(scaled.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  const PixelBlock block = picture.GetBlock();
  cairo_t* cr = cairo_create(scaled.get());
  cairo_scale(cr, static_cast<double>(size.cx) / block.width, static_cast<double>(size.cy) / block.height);
  cairo_set_source_surface(cr, own.get(), 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
  cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_flush(scaled.get());

  auto result = std::make_unique<CDADC>(size);
  if (!result->IsValid()) return nullptr;
  const PixelBlock target = result->GetBlock();
  const unsigned char* data = cairo_image_surface_get_data(scaled.get());
  const int stride = cairo_image_surface_get_stride(scaled.get());
  for (int y = 0; y < size.cy; ++y) {
    const auto* in = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    std::uint8_t* out = target.Row(y);
    for (int x = 0; x < size.cx; ++x, out += 3) {
      out[0] = static_cast<std::uint8_t>(in[x]);
      out[1] = static_cast<std::uint8_t>(in[x] >> 8);
      out[2] = static_cast<std::uint8_t>(in[x] >> 16);
    }
  }
  return result;
}

EmbeddedImages EmbedImages(const CDADC& photo, const std::string& photoPath, bool photoNeeded, const CImageMix& mix,
                           const MixMask& mask, const SIZE& raster) {
  EmbeddedImages images;
  images.raster = raster;
  if (photoNeeded) {
    if (raster == photo.GetSize()) {
      images.photo = &photo;
      ByteBuffer bytes;
      if (!photoPath.empty() && ReadFileBytes(photoPath.c_str(), bytes) == 0 &&
          JpegBytesStandFor(std::span<const std::uint8_t>(bytes.data(), bytes.size()), photo.GetSize()))
        images.jpeg.assign(bytes.data(), bytes.data() + bytes.size());
    } else {
      images.resized = ResampledPicture(photo, raster);
      images.photo = images.resized.get();
    }
  }
  if (mask.kind == MixMask::Grey) {
    auto mask = TryAllocate("the mix's mask", [&] { return GreyMask(mix, photo.GetSize(), raster.cx, raster.cy); });
    if (mask) images.mask = std::move(*mask);  // none without memory: the caller tells it
  }
  return images;
}

std::vector<std::uint8_t> PngBytes(const CDADC& picture) {
  std::vector<std::uint8_t> bytes;
  if (EncodePng(picture.GetBlock(), bytes) != kImgOk) bytes.clear();
  return bytes;
}

std::vector<std::uint8_t> GreyPngBytes(std::span<const std::uint8_t> grey, const SIZE& size) {
  CDADC picture(size);
  if (!picture.IsValid()) return {};
  const PixelBlock block = picture.GetBlock();
  for (int y = 0; y < size.cy; ++y) {
    const std::uint8_t* in = grey.data() + static_cast<std::size_t>(y) * size.cx;
    std::uint8_t* out = block.Row(y);
    for (int x = 0; x < size.cx; ++x, out += 3) out[0] = out[1] = out[2] = in[x];
  }
  return PngBytes(picture);
}

}  // namespace brisol
