#include "vector/EmbeddedImages.h"

#include <cstring>

#include "imageio/FileBytes.h"
#include "imageio/codecs/ExifOrientation.h"
#include "raster/Dadc.h"
#include "vector/VectorScene.h"

namespace brisol {
namespace {

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(closure);
  out->insert(out->end(), data, data + length);
  return CAIRO_STATUS_SUCCESS;
}

}  // namespace

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

CairoSurface PhotoSurface(const CDADC& photo, const SIZE& raster) {
  const PixelBlock block = photo.GetBlock();
  CairoSurface own(cairo_image_surface_create(CAIRO_FORMAT_RGB24, block.width, block.height));
  if (cairo_surface_status(own.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  cairo_surface_flush(own.get());
  unsigned char* data = cairo_image_surface_get_data(own.get());
  const int stride = cairo_image_surface_get_stride(own.get());
  for (int y = 0; y < block.height; ++y) {
    const std::uint8_t* in = block.Row(y);
    auto* out = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    for (int x = 0; x < block.width; ++x, in += 3)
      out[x] = 0xFF000000u | (std::uint32_t{in[2]} << 16) | (std::uint32_t{in[1]} << 8) | in[0];
  }
  cairo_surface_mark_dirty(own.get());
  if (raster.cx == block.width && raster.cy == block.height) return own;

  CairoSurface scaled(cairo_image_surface_create(CAIRO_FORMAT_RGB24, raster.cx, raster.cy));
  if (cairo_surface_status(scaled.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  cairo_t* cr = cairo_create(scaled.get());
  cairo_scale(cr, static_cast<double>(raster.cx) / block.width, static_cast<double>(raster.cy) / block.height);
  cairo_set_source_surface(cr, own.get(), 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
  cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
  cairo_paint(cr);
  cairo_destroy(cr);
  return scaled;
}

EmbeddedImages EmbedImages(const CDADC& photo, const std::string& photoPath, bool photoNeeded, const CImageMix& mix,
                           const MixMask& mask, const SIZE& raster) {
  EmbeddedImages images;
  if (photoNeeded) {
    images.photo = PhotoSurface(photo, raster);
    if (!photoPath.empty() && raster == photo.GetSize()) {
      ByteBuffer bytes;
      if (ReadFileBytes(photoPath.c_str(), bytes) == 0 &&
          JpegBytesStandFor(std::span<const std::uint8_t>(bytes.data(), bytes.size()), photo.GetSize()))
        images.jpeg.assign(bytes.data(), bytes.data() + bytes.size());
    }
  }
  if (mask.kind == MixMask::Grey) {
    CairoSurface grey(cairo_image_surface_create(CAIRO_FORMAT_A8, raster.cx, raster.cy));
    if (cairo_surface_status(grey.get()) == CAIRO_STATUS_SUCCESS) {
      const std::vector<std::uint8_t> weights = GreyMask(mix, photo.GetSize(), raster.cx, raster.cy);
      cairo_surface_flush(grey.get());
      unsigned char* data = cairo_image_surface_get_data(grey.get());
      const int stride = cairo_image_surface_get_stride(grey.get());
      for (int y = 0; y < raster.cy; ++y)
        std::memcpy(data + static_cast<std::ptrdiff_t>(y) * stride,
                    weights.data() + static_cast<std::size_t>(y) * raster.cx, static_cast<std::size_t>(raster.cx));
      cairo_surface_mark_dirty(grey.get());
      images.mask = std::move(grey);
    }
  }
  return images;
}

std::vector<std::uint8_t> PngBytes(cairo_surface_t* surface) {
  std::vector<std::uint8_t> bytes;
  if (cairo_surface_write_to_png_stream(surface, AppendBytes, &bytes) != CAIRO_STATUS_SUCCESS) bytes.clear();
  return bytes;
}

}  // namespace brisol
