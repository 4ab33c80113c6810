// libFuzzer target: the check that lets a JPEG file's own bytes stand for the
// loaded photo in a vector file, on arbitrary bytes. It must not read beyond
// the bytes, and when it lets a file stand for a size, the decoder must
// deliver that picture: a file that decodes to another size (or turned) is
// refused. Seeds: fuzz/seeds/jpeg (the JPEG target's), including a turned
// one.
#include <cstddef>
#include <cstdint>
#include <span>

#include "imageio/codecs/ImageCodec.h"
#include "vector/EmbeddedImages.h"

namespace {

// Larger pictures cost time, not coverage.
constexpr long long kMaxFuzzPixels = 1'000'000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace brisol;
  const std::span<const std::uint8_t> bytes(data, size);
  // Sizes of no file and of small ones: the check must refuse or accept
  // without reading past the end either way.
  for (const SIZE photo : {SIZE{0, 0}, SIZE{1, 1}, SIZE{16, 16}, SIZE{64, 48}}) (void)JpegBytesStandFor(bytes, photo);

  ImageInfo info;
  if (ReadJpegInfo(Bytes(data, size), info) != kImgOk) return 0;
  if (static_cast<long long>(info.width) * info.height > kMaxFuzzPixels) return 0;
  Bgr24Image image;
  if (DecodeJpeg(Bytes(data, size), image) != kImgOk) return 0;
  // The decoded picture, upright: the bytes stand for it only at its size.
  const SIZE decoded{image.width, image.height};
  (void)JpegBytesStandFor(bytes, decoded);
  // A file the decoder turned (its EXIF orientation) never stands for the picture.
  const SIZE turned{image.height, image.width};
  if (turned.cx != turned.cy && JpegBytesStandFor(bytes, turned)) __builtin_trap();
  return 0;
}
