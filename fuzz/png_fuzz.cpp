// libFuzzer target: PNG information and decoding from arbitrary bytes, and
// for every picture that decodes, a lossless round trip through the encoder.
// Mutated chunks would nearly always fail their checksums and stop libpng
// before it reads any further, so the target first puts every checksum right:
// the fuzzer then reaches the decoding itself.
// Seeds (fuzz/seeds/png): every colour type, bit depth and interlacing,
// written by fuzz/tools/make_png_seeds (see fuzz/seeds/png/PROVENANCE).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "codec_fuzz_check.h"
#include "imageio/codecs/ImageCodec.h"
#include "imageio/codecs/PngEncode.h"
#include "png_checksums.h"

namespace {

// Larger pictures cost time, not coverage.
constexpr long long kMaxFuzzPixels = 1'000'000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace brisol;
  std::vector<std::uint8_t> bytes(data, data + size);
  if (bytes.size() >= 8) fuzz::PutChecksumsRight(bytes);
  const Bytes file(bytes.data(), bytes.size());
  ImageInfo info;
  const int infoResult = ReadPngInfo(file, info);
  if (infoResult == kImgOk && static_cast<long long>(info.width) * info.height > kMaxFuzzPixels) return 0;

  Bgr24Image image;
  const int rc = DecodePng(file, image);
  fuzz::CheckDecoded(rc, image);
  fuzz::CheckInfo(infoResult, info, image);
  fuzz::CheckRoundTrip(image, EncodePng, DecodePng, kMaxFuzzPixels);
  // The same in pieces of a row or two, each compressed apart and joined:
  // every join of the stream meets the decoded content.
  fuzz::CheckRoundTrip(
      image,
      [](const PixelBlock& picture, std::vector<std::uint8_t>& out) {
        PngPieces pieces(picture.width, picture.height, 3 * static_cast<std::size_t>(picture.width) + 2);
        for (std::size_t k = 0; k < pieces.Count(); ++k) pieces.Encode(k, picture);
        return pieces.Finish(out);
      },
      DecodePng, kMaxFuzzPixels);
  return 0;
}
