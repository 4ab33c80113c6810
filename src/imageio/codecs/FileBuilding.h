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

// A zlib stream that inflates to n zero bytes (n >= 1) from about 13 bits
// per 258: the inflated size of a compressed-text bomb, with no deflater.
inline File ZlibZeros(std::uint64_t n) {
  File z{0x78, 0x01};
  std::uint32_t bits = 0;
  int count = 0;
  auto put = [&](std::uint32_t value, int length) {  // least significant bit first
    bits |= value << count;
    count += length;
    while (count >= 8) {
      z.push_back(static_cast<std::uint8_t>(bits));
      bits >>= 8;
      count -= 8;
    }
  };
  auto code = [&](std::uint32_t value, int length) {  // Huffman codes go most significant bit first
    for (int k = length - 1; k >= 0; --k) put((value >> k) & 1u, 1);
  };
  put(1, 1);      // the last block
  put(1, 2);      // fixed Huffman codes
  code(0x30, 8);  // the literal 0
  for (std::uint64_t i = 0; i < (n - 1) / 258; ++i) {
    code(0xC5, 8);  // length 258
    code(0, 5);     // distance 1
  }
  for (std::uint64_t i = 0; i < (n - 1) % 258; ++i) code(0x30, 8);
  code(0, 7);  // the end of the block
  if (count > 0) put(0, 8 - count);
  Put32BE(z, static_cast<std::uint32_t>(n % 65521) << 16 | 1u);  // Adler-32 of zeros
  return z;
}

// A valid grey PNG of one bit a pixel, all black: a picture of many
// megapixels in a small file.
inline std::string BlackPng(std::uint32_t width, std::uint32_t height) {
  File png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  File header;
  Put32BE(header, width);
  Put32BE(header, height);
  header.insert(header.end(), {1, 0, 0, 0, 0});
  PutPngChunk(png, "IHDR", header);
  PutPngChunk(png, "IDAT", ZlibZeros((width + 7) / 8 * std::uint64_t{height} + height));
  PutPngChunk(png, "IEND", {});
  return std::string(png.begin(), png.end());
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
