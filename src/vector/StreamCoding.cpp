#include "vector/StreamCoding.h"

#include <libdeflate.h>

#include <algorithm>
#include <memory>

#include "logger/Outcome.h"

namespace brisol {
namespace {

struct CompressorFree {
  void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};

std::uint32_t BigEndian32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

}  // namespace

std::vector<std::uint8_t> ZlibCompress(std::span<const std::uint8_t> bytes, int level) {
  const std::unique_ptr<libdeflate_compressor, CompressorFree> compressor(libdeflate_alloc_compressor(level));
  if (!compressor) return {};
  std::vector<std::uint8_t> out;
  const std::size_t bound = libdeflate_zlib_compress_bound(compressor.get(), bytes.size());
  if (!TryAllocate("the compressed stream", [&] { out.resize(bound); })) return {};
  const std::size_t n = libdeflate_zlib_compress(compressor.get(), bytes.data(), bytes.size(), out.data(), out.size());
  out.resize(n);
  return out;
}

std::vector<std::uint8_t> PngPixelStream(std::span<const std::uint8_t> png) {
  static const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (png.size() < 8 || !std::equal(kSignature, kSignature + 8, png.begin())) return {};
  // Twice over the chunks: their lengths, then their bytes.
  std::vector<std::uint8_t> stream;
  for (const bool copy : {false, true}) {
    std::size_t at = 8, total = 0;
    bool ended = false;
    while (!ended && at + 12 <= png.size()) {
      const std::size_t length = BigEndian32(png.data() + at);
      if (length > png.size() - at - 12) return {};
      const std::uint8_t* type = png.data() + at + 4;
      if (std::equal(type, type + 4, "IDAT")) {
        if (copy) stream.insert(stream.end(), type + 4, type + 4 + length);
        total += length;
      }
      ended = std::equal(type, type + 4, "IEND");
      at += 12 + length;
    }
    if (!ended || total == 0) return {};
    if (!copy) stream.reserve(total);
  }
  return stream;
}

void AppendAscii85(std::string& out, std::span<const std::uint8_t> bytes) {
  const std::size_t needed = out.size() + bytes.size() / 4 * 5 + bytes.size() / 60 + 16;
  if (needed > out.capacity()) out.reserve(std::max(needed, 2 * out.capacity()));
  std::size_t column = 0;
  auto put = [&](char c) {
    out += c;
    if (++column == 75) {
      out += '\n';
      column = 0;
    }
  };
  std::size_t i = 0;
  for (; i + 4 <= bytes.size(); i += 4) {
    std::uint32_t v = BigEndian32(bytes.data() + i);
    if (v == 0) {
      put('z');
      continue;
    }
    char digits[5];
    for (int k = 4; k >= 0; --k) {
      digits[k] = static_cast<char>('!' + v % 85);
      v /= 85;
    }
    for (char c : digits) put(c);
  }
  if (i < bytes.size()) {
    // The last one to three bytes, padded with zeros, as that many digits plus one.
    std::uint8_t last[4] = {0, 0, 0, 0};
    const std::size_t n = bytes.size() - i;
    std::copy(bytes.begin() + static_cast<std::ptrdiff_t>(i), bytes.end(), last);
    std::uint32_t v = BigEndian32(last);
    char digits[5];
    for (int k = 4; k >= 0; --k) {
      digits[k] = static_cast<char>('!' + v % 85);
      v /= 85;
    }
    for (std::size_t k = 0; k < n + 1; ++k) put(digits[k]);
  }
  if (column + 2 > 75) out += '\n';
  out += "~>\n";
}

}  // namespace brisol
