// Widening a colour channel of any bit count to 8 bits.
#pragma once

#include <cstdint>

namespace brisol {

// An n-bit channel value as 0..255. Fewer than 8 bits repeat their bit
// pattern downwards (5 bits: v << 3 | v >> 2, 6 bits: v << 2 | v >> 4), so
// that 0 stays 0 and the largest value gives 255; more than 8 bits keep the
// top 8. bits is 1..32; value must fit in it.
constexpr std::uint8_t ScaleChannelTo8(std::uint32_t value, int bits) {
  if (bits >= 8) return static_cast<std::uint8_t>(value >> (bits - 8));
  std::uint32_t result = 0;
  int filled = 0;
  while (filled < 8) {
    const int shift = 8 - filled - bits;
    result |= shift >= 0 ? value << shift : value >> -shift;
    filled += bits;
  }
  return static_cast<std::uint8_t>(result);
}

static_assert(ScaleChannelTo8(31, 5) == 255 && ScaleChannelTo8(4, 5) == 33 && ScaleChannelTo8(3, 5) == 24);
static_assert(ScaleChannelTo8(32, 6) == 130 && ScaleChannelTo8(1, 1) == 255 && ScaleChannelTo8(2, 2) == 170);
static_assert(ScaleChannelTo8(0x3FF, 10) == 255 && ScaleChannelTo8(0x200, 10) == 128);

}  // namespace brisol
