// libFuzzer target: the same bytes as a BMP file and as a packed DIB (what
// the clipboard hands over), with their information and the 24-bit writer.
#include <cstddef>
#include <cstdint>

#include "codec_fuzz_check.h"
#include "imageio/codecs/ByteReader.h"
#include "imageio/codecs/DibDecoder.h"

using namespace brisol;

namespace {

// Embedded JPEG and PNG pictures may be turned upright by their own
// decoders, so their sizes are not compared with the information.
bool Embedded(Bytes dib, std::int64_t bitsOffset) {
  DibLayout layout;
  return ParseDibLayout(dib, bitsOffset, layout) == kImgOk &&
         (layout.coding == DibCoding::kJpeg || layout.coding == DibCoding::kPng);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Bytes bytes(data, size);

  Bgr24Image bmp;
  const int rc = DecodeBmp(bytes, bmp);
  fuzz::CheckDecoded(rc, bmp);
  ImageInfo info;
  const int infoRc = ReadBmpInfo(bytes, info);
  bool embeddedInFile = false;
  if (size >= 14) {
    const std::uint32_t offBits = LoadU32LE(data + 10);
    embeddedInFile = Embedded(bytes.subspan(14), offBits < 14 ? kDibPacked : std::int64_t{offBits} - 14);
  }
  if (!embeddedInFile) fuzz::CheckInfo(infoRc, info, bmp);
  fuzz::CheckRoundTrip(bmp, EncodeBmp, DecodeBmp);

  Bgr24Image dib;
  const int dibRc = DecodePackedDib(bytes, dib);
  fuzz::CheckDecoded(dibRc, dib);
  ImageInfo dibInfo;
  const int dibInfoRc = ReadPackedDibInfo(bytes, dibInfo);
  if (!Embedded(bytes, kDibPacked)) fuzz::CheckInfo(dibInfoRc, dibInfo, dib);
  return 0;
}
