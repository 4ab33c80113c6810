// The resampler (stb_image_resize, Debian libstb-dev), compiled into the
// file that includes this: its functions are static there. For the imaging
// layer's resizeex and for what checks its reckoning of its buffers.
#pragma once

#include <cstdint>

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

// The resampler's own reckoning of the buffers it allocates to resize 24-bit
// pictures between these sizes with the filters resizeex chooses, in its
// own int arithmetic: only for sizes whose buffers it can count.
inline std::uint64_t ResamplerBufferBytes(int sourceWidth, int sourceHeight, int width, int height) {
  stbir__info info;
  stbir__setup(&info, sourceWidth, sourceHeight, width, height, 3);
  stbir__calculate_transform(&info, 0, 0, 1, 1, nullptr);
  stbir__choose_filter(&info, width <= sourceWidth ? STBIR_FILTER_BOX : STBIR_FILTER_TRIANGLE,
                       height <= sourceHeight ? STBIR_FILTER_BOX : STBIR_FILTER_TRIANGLE);
  return stbir__calculate_memory(&info);
}

}  // namespace brisol
