// libFuzzer target: JPEG information (with the EXIF orientation) and
// decoding from arbitrary bytes; every picture that decodes is encoded and
// decoded again. Seeds (fuzz/seeds/jpeg): small pictures written by
// EncodeJpeg at several qualities, one with an EXIF orientation.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "codec_fuzz_check.h"
#include "imageio/codecs/ExifOrientation.h"
#include "imageio/codecs/ImageCodec.h"

namespace {

// Larger pictures cost time, not coverage.
constexpr long long kMaxFuzzPixels = 1'000'000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace brisol;
  const Bytes file(data, size);
  const int orientation = ExifOrientation(file);  // the parser on raw bytes too
  if (orientation < kOrientNormal || orientation > kOrientRotate270) __builtin_trap();

  ImageInfo info;
  const int infoResult = ReadJpegInfo(file, info);
  if (infoResult == kImgOk && static_cast<long long>(info.width) * info.height > kMaxFuzzPixels) return 0;

  Bgr24Image image;
  const int rc = DecodeJpeg(file, image);
  fuzz::CheckDecoded(rc, image);
  if (rc != kImgOk) return 0;
  // The information reports the upright size the decoder delivers.
  fuzz::CheckInfo(infoResult, info, image);

  if (image.width > 65500 || image.height > 65500) return 0;  // beyond what JPEG encoders write
  std::vector<std::uint8_t> encoded;
  if (EncodeJpeg(image.Block(), 75, encoded) != kImgOk) __builtin_trap();
  Bgr24Image again;
  if (DecodeJpeg(encoded, again) != kImgOk || again.width != image.width || again.height != image.height) {
    __builtin_trap();
  }
  return 0;
}
