// Shared checks of the picture-codec fuzz targets: what a decoded picture
// must satisfy, and that a small one survives the format's own writer.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "imageio/codecs/ImageCodec.h"

namespace brisol::fuzz {

// Stops the run when a claim fails, so libFuzzer records the input.
inline void Require(bool claim) {
  if (!claim) __builtin_trap();
}

// A decoded picture is whole; a failed decode left the output empty.
inline void CheckDecoded(int rc, const Bgr24Image& image) {
  Require(rc <= 0);
  if (rc != kImgOk) {
    Require(!image.IsValid());
    return;
  }
  Require(image.IsValid() && image.width > 0 && image.height > 0);
  Require(static_cast<long long>(image.width) * image.height <= kMaxImagePixels);
  Require(image.stride >= 3 * image.width);
  Require(image.bits.size() == static_cast<std::size_t>(image.stride) * image.height);
}

// Info and decoding agree on the size.
inline void CheckInfo(int infoRc, const ImageInfo& info, const Bgr24Image& image) {
  if (!image.IsValid()) return;
  Require(infoRc == kImgOk && info.width == image.width && info.height == image.height);
}

// Pictures up to maxPixels go through the writer and its reader unchanged.
template <typename Encode, typename Decode>
void CheckRoundTrip(const Bgr24Image& image, Encode encode, Decode decode, long long maxPixels = 65536) {
  if (!image.IsValid() || static_cast<long long>(image.width) * image.height > maxPixels) return;
  std::vector<std::uint8_t> file;
  Require(encode(image.Block(), file) == kImgOk);
  Bgr24Image back;
  Require(decode(Bytes(file), back) == kImgOk);
  Require(back.width == image.width && back.height == image.height);
  for (int y = 0; y < image.height; ++y) {
    Require(std::memcmp(back.Block().Row(y), image.Block().Row(y), static_cast<std::size_t>(image.width) * 3) == 0);
  }
}

}  // namespace brisol::fuzz
