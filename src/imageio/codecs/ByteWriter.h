// Little-endian stores, and growing an output vector without throwing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imageio/codecs/ImageCodec.h"
#include "logger/Outcome.h"

namespace brisol {

inline void StoreU16LE(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void StoreU32LE(std::uint8_t* p, std::uint32_t v) {
  StoreU16LE(p, v & 0xFFFF);
  StoreU16LE(p + 2, v >> 16);
}

// Appends n zero bytes to out and gives the address of the first, or null
// (out unchanged) when the memory cannot be had.
inline std::uint8_t* AppendZeros(std::vector<std::uint8_t>& out, std::uint64_t n) {
  const std::size_t old = out.size();
  if (n > out.max_size() - old) return nullptr;
  if (!TryAllocate("the picture file", [&] { out.resize(old + static_cast<std::size_t>(n)); })) return nullptr;
  return out.data() + old;
}

// Whether a picture handed to an encoder is usable: pixels, a positive size
// and rows long enough for their pixels.
inline bool IsEncodablePicture(const PixelBlock& picture) {
  return picture.IsValid() && static_cast<long long>(picture.stride) >= 3LL * picture.width;
}

}  // namespace brisol
