// Writing PNG: 8-bit RGB, every row filtered by its difference to the row
// above ("Up"), the whole picture compressed as one zlib stream by
// libdeflate. Measured on rendered photo-sized pictures against libpng's
// defaults (zlib level 6, a filter chosen per row): about six times faster
// for files 3 to 5 % larger. The rows are filtered on every thread.
#include <libdeflate.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "imageio/codecs/ImageCodec.h"
#include "raster/ByteBuffer.h"
#include "raster/WorkerPool.h"

namespace brisol {
namespace {

// libdeflate's level 2: past it, each level costs much more time than it
// saves bytes on these pictures.
constexpr int kCompressionLevel = 2;
// The longest IDAT chunk written.
constexpr std::size_t kMaxChunk = 1u << 20;
constexpr int kRowsPerItem = 64;
constexpr std::uint8_t kFilterUp = 2;

struct CompressorFree {
  void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
                                 static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
  out.insert(out.end(), bytes, bytes + 4);
}

void PutChunk(std::vector<std::uint8_t>& out, const char type[4], const std::uint8_t* data, std::size_t n) {
  PutU32(out, static_cast<std::uint32_t>(n));
  const std::size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  if (n > 0) out.insert(out.end(), data, data + n);
  PutU32(out, libdeflate_crc32(0, out.data() + start, n + 4));
}

// Row y as the filter stores it: the filter byte, then each byte of the
// red-green-blue row less the byte above it.
void FilterRow(const PixelBlock& picture, int y, std::uint8_t* out) {
  out[0] = kFilterUp;
  const std::uint8_t* row = picture.Row(y);
  std::uint8_t* o = out + 1;
  const int w = picture.width;
  if (y == 0) {
    for (int x = 0; x < w; ++x, row += 3, o += 3) {
      o[0] = row[2];
      o[1] = row[1];
      o[2] = row[0];
    }
    return;
  }
  const std::uint8_t* above = picture.Row(y - 1);
  for (int x = 0; x < w; ++x, row += 3, above += 3, o += 3) {
    o[0] = static_cast<std::uint8_t>(row[2] - above[2]);
    o[1] = static_cast<std::uint8_t>(row[1] - above[1]);
    o[2] = static_cast<std::uint8_t>(row[0] - above[0]);
  }
}

}  // namespace

int EncodePng(const PixelBlock& picture, std::vector<std::uint8_t>& out) { return EncodePngOnThreads(picture, out, 0); }

int EncodePngOnThreads(const PixelBlock& picture, std::vector<std::uint8_t>& out, unsigned threads) {
  if (!picture.IsValid() || picture.stride < 3LL * picture.width) return kImgErrArgument;
  const std::size_t rowBytes = 3 * static_cast<std::size_t>(picture.width) + 1;
  const std::size_t filteredBytes = rowBytes * static_cast<std::size_t>(picture.height);
  std::unique_ptr<libdeflate_compressor, CompressorFree> compressor(libdeflate_alloc_compressor(kCompressionLevel));
  if (!compressor) return kImgErrNoMemory;
  ByteBuffer filtered = ByteBuffer::Allocate(filteredBytes);
  if (!filtered) return kImgErrNoMemory;

  const int h = picture.height;
  const std::size_t items = static_cast<std::size_t>((h + kRowsPerItem - 1) / kRowsPerItem);
  WorkerPool(threads).ParallelFor(items, [&](std::size_t k) {
    const int first = static_cast<int>(k) * kRowsPerItem;
    for (int y = first; y < std::min(h, first + kRowsPerItem); ++y)
      FilterRow(picture, y, filtered.data() + rowBytes * static_cast<std::size_t>(y));
  });

  // Pages of the bound that the stream does not reach are never touched.
  ByteBuffer stream = ByteBuffer::Allocate(libdeflate_zlib_compress_bound(compressor.get(), filteredBytes));
  if (!stream) return kImgErrNoMemory;
  const std::size_t streamBytes =
      libdeflate_zlib_compress(compressor.get(), filtered.data(), filteredBytes, stream.data(), stream.size());
  filtered.reset();
  if (streamBytes == 0) return kImgErrWrite;

  std::vector<std::uint8_t> file;
  file.reserve(8 + 25 + streamBytes + 12 * (streamBytes / kMaxChunk + 1) + 12);
  static const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  file.insert(file.end(), kSignature, kSignature + 8);
  std::uint8_t header[13];
  for (int i = 0; i < 4; ++i) {
    header[i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(picture.width) >> (24 - 8 * i));
    header[4 + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(picture.height) >> (24 - 8 * i));
  }
  header[8] = 8;   // bits per sample
  header[9] = 2;   // red, green, blue
  header[10] = 0;  // deflate
  header[11] = 0;  // adaptive filtering, one filter byte a row
  header[12] = 0;  // not interlaced
  PutChunk(file, "IHDR", header, sizeof header);
  for (std::size_t at = 0; at < streamBytes; at += kMaxChunk)
    PutChunk(file, "IDAT", stream.data() + at, std::min(kMaxChunk, streamBytes - at));
  PutChunk(file, "IEND", nullptr, 0);
  stream.reset();
  if (out.empty()) {
    out = std::move(file);
  } else {
    out.insert(out.end(), file.begin(), file.end());
  }
  return kImgOk;
}

}  // namespace brisol
