// libFuzzer target: PNG information and decoding from arbitrary bytes, and
// for every picture that decodes, a lossless round trip through the encoder.
// Seeds (fuzz/seeds/png): small pictures written by EncodePng.
#include <cstddef>
#include <cstdint>

#include "codec_fuzz_check.h"
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
  fuzz::CheckDecoded(rc, image);
  fuzz::CheckInfo(infoResult, info, image);
  fuzz::CheckRoundTrip(image, EncodePng, DecodePng, kMaxFuzzPixels);
  return 0;
}
