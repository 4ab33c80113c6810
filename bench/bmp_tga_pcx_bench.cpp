// Reading and writing BMP, TGA and PCX files of a 2000 x 1500 photo-like
// picture, all in memory.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "imageio/codecs/ImageCodec.h"

namespace {

using brisol::Bgr24Image;
using Buffer = std::vector<std::uint8_t>;

constexpr int kWidth = 2000;
constexpr int kHeight = 1500;

// Smooth gradients with flat bands, so run-length forms have runs to find.
const Bgr24Image& Picture() {
  static const Bgr24Image picture = [] {
    Bgr24Image image;
    brisol::AllocBgr24(image, kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y) {
      std::uint8_t* p = image.Block().Row(y);
      for (int x = 0; x < kWidth; ++x, p += 3) {
        p[0] = static_cast<std::uint8_t>((x / 16) * 3);
        p[1] = static_cast<std::uint8_t>(y / 8);
        p[2] = static_cast<std::uint8_t>(((x + y) / 32) * 5);
      }
    }
    return image;
  }();
  return picture;
}

void Put16(Buffer& b, unsigned v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(Buffer& b, std::uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

// An 8-bit BMP, plain or RLE8, of the picture's green channel as indices.
Buffer EightBitBmp(bool rle) {
  const Bgr24Image& picture = Picture();
  Buffer pixels;
  const int stride = (kWidth + 3) & ~3;
  for (int r = 0; r < kHeight; ++r) {
    const std::uint8_t* row = picture.bits.data() + static_cast<std::size_t>(r) * picture.stride;
    if (!rle) {
      for (int x = 0; x < stride; ++x) pixels.push_back(x < kWidth ? row[3 * x + 1] : 0);
      continue;
    }
    for (int x = 0; x < kWidth;) {
      int n = 1;
      while (x + n < kWidth && n < 255 && row[3 * (x + n) + 1] == row[3 * x + 1]) ++n;
      pixels.push_back(static_cast<std::uint8_t>(n));
      pixels.push_back(row[3 * x + 1]);
      x += n;
    }
    pixels.push_back(0);
    pixels.push_back(0);
  }
  if (rle) {
    pixels.push_back(0);
    pixels.push_back(1);
  }
  Buffer file;
  Put16(file, 0x4D42);
  Put32(file, static_cast<std::uint32_t>(54 + 1024 + pixels.size()));
  Put32(file, 0);
  Put32(file, 54 + 1024);
  Put32(file, 40);
  Put32(file, kWidth);
  Put32(file, kHeight);
  Put16(file, 1);
  Put16(file, 8);
  Put32(file, rle ? 1 : 0);
  Put32(file, static_cast<std::uint32_t>(pixels.size()));
  for (int i = 0; i < 4; ++i) Put32(file, 0);
  for (int i = 0; i < 256; ++i) Put32(file, static_cast<std::uint32_t>(i * 0x010203) & 0xFFFFFF);
  file.insert(file.end(), pixels.begin(), pixels.end());
  return file;
}

template <typename Decode>
void RunDecode(benchmark::State& state, const Buffer& file, Decode decode) {
  for (auto _ : state) {
    Bgr24Image image;
    if (decode(brisol::Bytes(file), image) != brisol::kImgOk) state.SkipWithError("decoding failed");
    benchmark::DoNotOptimize(image.bits.data());
  }
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

Buffer Encoded(int (*encode)(const brisol::PixelBlock&, Buffer&)) {
  Buffer file;
  encode(Picture().Block(), file);
  return file;
}

void BM_DecodeBmp24(benchmark::State& state) { RunDecode(state, Encoded(brisol::EncodeBmp), brisol::DecodeBmp); }
void BM_DecodeBmp8(benchmark::State& state) { RunDecode(state, EightBitBmp(false), brisol::DecodeBmp); }
void BM_DecodeBmpRle8(benchmark::State& state) { RunDecode(state, EightBitBmp(true), brisol::DecodeBmp); }
void BM_DecodeTga24(benchmark::State& state) { RunDecode(state, Encoded(brisol::EncodeTga), brisol::DecodeTga); }
void BM_DecodePcx24(benchmark::State& state) { RunDecode(state, Encoded(brisol::EncodePcx), brisol::DecodePcx); }

template <int (*Encode)(const brisol::PixelBlock&, Buffer&)>
void BM_Encode(benchmark::State& state) {
  for (auto _ : state) {
    Buffer file;
    if (Encode(Picture().Block(), file) != brisol::kImgOk) state.SkipWithError("encoding failed");
    benchmark::DoNotOptimize(file.data());
  }
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

BENCHMARK(BM_DecodeBmp24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeBmp8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeBmpRle8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeTga24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodePcx24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Encode<brisol::EncodeBmp>)->Name("BM_EncodeBmp")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Encode<brisol::EncodeTga>)->Name("BM_EncodeTga")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Encode<brisol::EncodePcx>)->Name("BM_EncodePcx")->Unit(benchmark::kMillisecond);

}  // namespace
