// For fuzz targets that read PNG files: mutated chunks would nearly always
// fail their checksums and stop a reader before it looks any further, so a
// target first puts every checksum right and the fuzzer reaches what lies
// behind them.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <vector>

namespace brisol::fuzz {

inline std::uint32_t LoadU32BE(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
         static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}

// Rewrites the CRC of every whole chunk after the signature.
inline void PutChecksumsRight(std::vector<std::uint8_t>& file) {
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

}  // namespace brisol::fuzz
