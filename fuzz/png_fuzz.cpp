// libFuzzer target: PNG information and decoding from arbitrary bytes, and
// for every picture that decodes, a lossless round trip through the encoder.
// Mutated chunks would nearly always fail their checksums and stop libpng
// before it reads any further, so the target first puts every checksum right:
// the fuzzer then reaches the decoding itself.
// Seeds (fuzz/seeds/png): every colour type, bit depth and interlacing,
// written by fuzz/tools/make_png_seeds (see fuzz/seeds/png/PROVENANCE).
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "codec_fuzz_check.h"
#include "imageio/codecs/ImageCodec.h"
#include "imageio/codecs/PngEncode.h"

namespace {

// Larger pictures cost time, not coverage.
constexpr long long kMaxFuzzPixels = 1'000'000;

std::uint32_t LoadU32BE(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
         static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}

// Rewrites the CRC of every whole chunk after the signature.
void PutChecksumsRight(std::vector<std::uint8_t>& file) {
  std::size_t pos = 8;
  while (pos <= file.size() && file.size() - pos >= 12) {
    const std::uint32_t length = LoadU32BE(file.data() + pos);
    if (length > file.size() - pos - 12) break;
    const std::uint8_t* typeAndData = file.data() + pos + 4;
    const std::uint32_t crc = static_cast<std::uint32_t>(crc32(crc32(0, nullptr, 0), typeAndData, length + 4));
    std::uint8_t* out = file.data() + pos + 8 + length;
    out[0] = static_cast<std::uint8_t>(crc >> 24);
    out[1] = static_cast<std::uint8_t>(crc >> 16);
    out[2] = static_cast<std::uint8_t>(crc >> 8);
    out[3] = static_cast<std::uint8_t>(crc);
    pos += 12 + length;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace brisol;
  std::vector<std::uint8_t> bytes(data, data + size);
  if (bytes.size() >= 8) PutChecksumsRight(bytes);
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
