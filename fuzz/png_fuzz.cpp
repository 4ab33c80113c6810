// libFuzzer target: PNG information and decoding from arbitrary bytes, and
// for every picture that decodes, a lossless round trip through the encoder.
// Seeds (fuzz/seeds/png): small pictures written by EncodePng.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "imageio/codecs/ImageCodec.h"

namespace {

// Larger pictures cost time, not coverage.
constexpr long long kMaxFuzzPixels = 1'000'000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace brisol;
  const Bytes file(data, size);
  ImageInfo info;
  const int infoResult = ReadPngInfo(file, info);
  if (infoResult == kImgOk && static_cast<long long>(info.width) * info.height > kMaxFuzzPixels) return 0;

  Bgr24Image image;
  const int rc = DecodePng(file, image);
  if (rc != kImgOk) {
    if (image.IsValid()) __builtin_trap();  // a failure must leave the output alone
    return 0;
  }
  if (infoResult != kImgOk || image.width != info.width || image.height != info.height) __builtin_trap();
  if (image.stride < 3 * image.width || image.bits.size() != static_cast<std::size_t>(image.stride) * image.height) {
    __builtin_trap();
  }

  std::vector<std::uint8_t> encoded;
  if (EncodePng(image.Block(), encoded) != kImgOk) __builtin_trap();
  Bgr24Image again;
  if (DecodePng(encoded, again) != kImgOk || again.width != image.width || again.height != image.height) {
    __builtin_trap();
  }
  for (int y = 0; y < image.height; ++y) {
    if (std::memcmp(image.Block().Row(y), again.Block().Row(y), static_cast<std::size_t>(image.width) * 3) != 0) {
      __builtin_trap();
    }
  }
  return 0;
}
