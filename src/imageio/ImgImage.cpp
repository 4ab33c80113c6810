// Image records: allocation, release, filling and conversion to 24 bits.
#include <cstring>
#include <utility>

#include "imageio/Imaging.h"

namespace brisol {

int allocimage(ImgImage& image, int width, int height, int bitsPerPixel) {
  if (!IsImageDepth(bitsPerPixel)) return kImgErrArgument;
  Bgr24Image pixels;
  if (int rc = AllocBgr24(pixels, width, height); rc != kImgOk) return rc;
  image.m_pixels = std::move(pixels);
  image.m_bitsPerPixel = bitsPerPixel;
  return kImgOk;
}

void freeimage(ImgImage& image) {
  image.m_pixels = Bgr24Image{};
  image.m_bitsPerPixel = 0;
}

int PutPixels(ImgImage& image, Bgr24Image&& pixels) {
  if (!image.IsAllocated() || !pixels.IsValid() || pixels.width != image.Width() || pixels.height != image.Height() ||
      pixels.stride != image.BytesPerRow()) {
    return kImgErrArgument;
  }
  image.m_pixels = std::move(pixels);
  return kImgOk;
}

int TakePixels(ImgImage& image, Bgr24Image& pixels) {
  if (!image.IsAllocated() || image.BitsPerPixel() != 24) return kImgErrArgument;
  pixels = std::move(image.m_pixels);
  image.m_pixels = Bgr24Image{};
  image.m_bitsPerPixel = 0;
  return kImgOk;
}

int convertto24(const ImgImage& source, ImgImage& destination) {
  if (!source.IsAllocated() || !destination.IsAllocated() || destination.BitsPerPixel() != 24 ||
      source.Width() != destination.Width() || source.Height() != destination.Height()) {
    return kImgErrArgument;
  }
  std::memcpy(destination.Buffer(), source.Buffer(),
              static_cast<std::size_t>(source.BytesPerRow()) * static_cast<std::size_t>(source.Height()));
  return kImgOk;
}

}  // namespace brisol
