// resizeex through stb_image_resize (Debian libstb-dev).
#include "imageio/Imaging.h"
#include "imageio/StbResizeImpl.h"

namespace brisol {
namespace {

constexpr std::uint64_t kSaturated = ~std::uint64_t{0};

std::uint64_t Mul(std::uint64_t a, std::uint64_t b) { return a != 0 && b > kSaturated / a ? kSaturated : a * b; }
std::uint64_t Add(std::uint64_t a, std::uint64_t b) { return a > kSaturated - b ? kSaturated : a + b; }

// The resampler's filter along one side: how many source pixels reach one
// target pixel (the filter's width), how many weights each target pixel
// keeps, and how many target pixels have weights. Growing: a triangle of
// two pixels for every target pixel. Shrinking: a box as wide as the
// shrinking factor, and a margin of half of it on both ends of the source.
// The widths are taken a little wide: the resampler works them out in
// float.
struct SideFilter {
  std::uint64_t width = 0;
  std::uint64_t weights = 0;
  std::uint64_t contributors = 0;
  std::uint64_t margin = 0;
};

SideFilter FilterOf(std::uint64_t source, std::uint64_t target) {
  SideFilter f;
  if (target > source) {
    f.width = 2;
    f.weights = 2;
    f.margin = 1;
    f.contributors = target;
  } else {
    f.width = source / target + 3;
    f.weights = 3;
    f.margin = f.width / 2;
    f.contributors = Add(source, 2 * f.margin);
  }
  return f;
}

}  // namespace

std::uint64_t ResizeWorkBytes(long long sourceWidth, long long sourceHeight, long long width, long long height) {
  if (sourceWidth < 1 || sourceHeight < 1 || width < 1 || height < 1) return 0;
  const SideFilter across = FilterOf(static_cast<std::uint64_t>(sourceWidth), static_cast<std::uint64_t>(width));
  const SideFilter down = FilterOf(static_cast<std::uint64_t>(sourceHeight), static_cast<std::uint64_t>(height));
  constexpr std::uint64_t kContributorBytes = 2 * sizeof(int), kSampleBytes = 3 * sizeof(float);
  const std::uint64_t targetRow = Mul(static_cast<std::uint64_t>(width), kSampleBytes);
  const std::uint64_t parts[] = {
      Mul(across.contributors, kContributorBytes),
      Mul(Mul(across.contributors, across.weights), sizeof(float)),
      Mul(down.contributors, kContributorBytes),
      Mul(Mul(down.contributors, down.weights), sizeof(float)),
      Mul(Add(static_cast<std::uint64_t>(sourceWidth), 2 * across.margin), kSampleBytes),  // a decoded source row
      targetRow,                                                                           // a row resampled across
      Mul(targetRow, Add(down.width, 1)),  // the rows being resampled down
      targetRow,                           // a row being written
  };
  std::uint64_t total = 0;
  for (const std::uint64_t part : parts) total = Add(total, part);
  return total;
}

std::uint64_t ResizeFilterSteps(long long sourceWidth, long long sourceHeight, long long width, long long height) {
  const auto side = [](long long source, long long target) -> std::uint64_t {
    if (source < 1 || target < 1 || target > source) return 0;  // growing: a few steps a pixel
    return Mul(static_cast<std::uint64_t>(source), static_cast<std::uint64_t>(target)) / 2;
  };
  return Add(side(sourceWidth, width), side(sourceHeight, height));
}

int resizeex(const ImgImage& source, ImgImage& destination, int mode) {
  if (mode != kResizeAreaCorrect) return kImgErrArgument;
  if (!source.IsAllocated() || !destination.IsAllocated() || source.BitsPerPixel() != 24 ||
      destination.BitsPerPixel() != 24) {
    return kImgErrArgument;
  }
  // The resampler sizes its buffers in int, and works out its filters in
  // time that grows with the product of the sides: sizes it cannot hold, or
  // would take days on, are refused before it starts.
  if (ResizeWorkBytes(source.Width(), source.Height(), destination.Width(), destination.Height()) >
          kMaxResizeWorkBytes ||
      ResizeFilterSteps(source.Width(), source.Height(), destination.Width(), destination.Height()) >
          kMaxResizeFilterSteps) {
    return kImgErrTooLarge;
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
