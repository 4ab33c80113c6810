// libFuzzer target: TGA information, decoding and the 24-bit writer.
#include <cstddef>
#include <cstdint>

#include "codec_fuzz_check.h"

using namespace brisol;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Bytes bytes(data, size);
  Bgr24Image image;
  fuzz::CheckDecoded(DecodeTga(bytes, image), image);
  ImageInfo info;
  const int infoRc = ReadTgaInfo(bytes, info);
  fuzz::CheckInfo(infoRc, info, image);
  fuzz::CheckRoundTrip(image, EncodeTga, DecodeTga);
  return 0;
}
