// resizeex through stb_image_resize (Debian libstb-dev).
#include "imageio/Imaging.h"

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#endif
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#define STB_IMAGE_RESIZE_STATIC
#include <stb/stb_image_resize.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace brisol {

int resizeex(const ImgImage& source, ImgImage& destination, int mode) {
  if (mode != kResizeAreaCorrect) return kImgErrArgument;
  if (!source.IsAllocated() || !destination.IsAllocated() || source.BitsPerPixel() != 24 ||
      destination.BitsPerPixel() != 24) {
    return kImgErrArgument;
  }
  // Shrinking a side averages the area each new pixel covers (a box filter);
  // a side that grows is interpolated linearly.
  const stbir_filter horizontal = destination.Width() <= source.Width() ? STBIR_FILTER_BOX : STBIR_FILTER_TRIANGLE;
  const stbir_filter vertical = destination.Height() <= source.Height() ? STBIR_FILTER_BOX : STBIR_FILTER_TRIANGLE;
  // Both images keep their rows bottom-up, so the resample is the same as on
  // top-down rows.
  const int ok = stbir_resize(
      source.Buffer(), source.Width(), source.Height(), source.BytesPerRow(), destination.Buffer(), destination.Width(),
      destination.Height(), destination.BytesPerRow(), STBIR_TYPE_UINT8, 3, STBIR_ALPHA_CHANNEL_NONE, 0,
      STBIR_EDGE_CLAMP, STBIR_EDGE_CLAMP, horizontal, vertical, STBIR_COLORSPACE_LINEAR, nullptr);
  return ok ? kImgOk : kImgErrNoMemory;
}

}  // namespace brisol
