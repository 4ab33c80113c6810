// Building picture files byte by byte, for the tests and the fuzz targets:
// numbers in either byte order, PNG chunks with their checksums, and files
// whose header is made to claim another size than their data holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace brisol::filebuilding {

using File = std::vector<std::uint8_t>;

inline void Put16LE(File& f, std::uint32_t v) { f.insert(f.end(), {std::uint8_t(v), std::uint8_t(v >> 8)}); }
inline void Put32LE(File& f, std::uint32_t v) {
  Put16LE(f, v & 0xFFFF);
  Put16LE(f, v >> 16);
}
inline void Put32BE(File& f, std::uint32_t v) {
  f.insert(f.end(), {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)});
}

// The CRC-32 of PNG chunks (and zlib's crc32).
inline std::uint32_t Crc32(const std::uint8_t* p, std::size_t n) {
  std::uint32_t c = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
  }
  return c ^ 0xFFFFFFFFu;
}

// Appends a PNG chunk: length, type, data and checksum.
inline void PutPngChunk(File& f, const char type[4], const File& data) {
  Put32BE(f, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = f.size();
  f.insert(f.end(), type, type + 4);
  f.insert(f.end(), data.begin(), data.end());
  Put32BE(f, Crc32(f.data() + start, f.size() - start));
}

// Makes a PNG file's header (its first chunk, IHDR) claim width x height,
// with the checksum put right.
template <typename Bytes>
void ClaimPngSize(Bytes& png, std::uint32_t width, std::uint32_t height) {
  for (int k = 0; k < 4; ++k) {
    png[16 + k] = static_cast<typename Bytes::value_type>(width >> (24 - 8 * k));
    png[20 + k] = static_cast<typename Bytes::value_type>(height >> (24 - 8 * k));
  }
  const std::uint32_t crc = Crc32(reinterpret_cast<const std::uint8_t*>(png.data()) + 12, 17);
  for (int k = 0; k < 4; ++k) png[29 + k] = static_cast<typename Bytes::value_type>(crc >> (24 - 8 * k));
}

// Makes a baseline JPEG file's frame claim width x height (at most 65535).
template <typename Bytes>
void ClaimJpegSize(Bytes& jpeg, int width, int height) {
  for (std::size_t i = 2; i + 9 < jpeg.size(); ++i) {
    if (static_cast<std::uint8_t>(jpeg[i]) == 0xFF && static_cast<std::uint8_t>(jpeg[i + 1]) == 0xC0) {
      // The frame: length, precision, height, width.
      jpeg[i + 5] = static_cast<typename Bytes::value_type>(height >> 8);
      jpeg[i + 6] = static_cast<typename Bytes::value_type>(height & 0xFF);
      jpeg[i + 7] = static_cast<typename Bytes::value_type>(width >> 8);
      jpeg[i + 8] = static_cast<typename Bytes::value_type>(width & 0xFF);
      return;
    }
  }
}

}  // namespace brisol::filebuilding
