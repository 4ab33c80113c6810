// Picture files in and out at photo size: loading and saving a 4000 x 3000
// JPEG and PNG through the program's loader and saver (and the codecs alone),
// and ResizeImage from 4000 x 3000 to 1600 x 1200.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "imageio/Dib.h"
#include "imageio/ImageSave.h"
#include "imageio/LoadPicture.h"
#include "imageio/codecs/ImageCodec.h"

namespace brisol {
namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

// A photo-like picture: broad gradients, soft blobs and sensor-like noise.
Bgr24Image MakePhoto() {
  Bgr24Image image;
  if (AllocBgr24(image, kWidth, kHeight) != kImgOk) std::abort();
  unsigned state = 12345;
  for (int y = 0; y < kHeight; ++y) {
    std::uint8_t* row = image.Block().Row(y);
    for (int x = 0; x < kWidth; ++x) {
      state = state * 1664525u + 1013904223u;
      const int noise = static_cast<int>(state >> 28) - 8;
      const int dx = x - 2600, dy = y - 1100;
      const int blob = (dx * dx + dy * dy) < 600 * 600 ? 50 : 0;
      const int r = 60 + 150 * x / kWidth + blob + noise;
      const int g = 40 + 120 * y / kHeight + noise;
      const int b = 180 - 100 * (x + y) / (kWidth + kHeight) + blob / 2 + noise;
      row[3 * x] = static_cast<std::uint8_t>(std::clamp(b, 0, 255));
      row[3 * x + 1] = static_cast<std::uint8_t>(std::clamp(g, 0, 255));
      row[3 * x + 2] = static_cast<std::uint8_t>(std::clamp(r, 0, 255));
    }
  }
  return image;
}

// The picture, as a surface and as JPEG and PNG files, made once.
struct Fixture {
  std::filesystem::path dir;
  std::unique_ptr<CDADC> surface;
  std::vector<std::uint8_t> jpeg, png;
  std::string jpegPath, pngPath;

  Fixture() {
    char pattern[] = "/tmp/brisol-imageio-bench-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) std::abort();
    dir = pattern;
    const Bgr24Image photo = MakePhoto();
    surface = std::make_unique<CDADC>(SIZE{kWidth, kHeight});
    std::memcpy(surface->GetBits(), photo.bits.data(), photo.bits.size());
    if (EncodeJpeg(photo.Block(), 92, jpeg) != kImgOk || EncodePng(photo.Block(), png) != kImgOk) std::abort();
    jpegPath = (dir / "photo.jpg").string();
    pngPath = (dir / "photo.png").string();
    if (!SaveImageFile(*surface, jpegPath).ok() || !SaveImageFile(*surface, pngPath).ok()) std::abort();
  }
  ~Fixture() { std::filesystem::remove_all(dir); }
};

Fixture& TheFixture() {
  static Fixture fixture;
  return fixture;
}

void BM_LoadJpegFile(benchmark::State& state) {
  Fixture& f = TheFixture();
  for (auto _ : state) {
    const LoadResult loaded = LoadPicture(f.jpegPath);
    if (!loaded) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(loaded.ok());
  }
}

void BM_LoadPngFile(benchmark::State& state) {
  Fixture& f = TheFixture();
  for (auto _ : state) {
    const LoadResult loaded = LoadPicture(f.pngPath);
    if (!loaded) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(loaded.ok());
  }
}

void BM_SaveJpegFile(benchmark::State& state) {
  Fixture& f = TheFixture();
  const std::string path = (f.dir / "saved.jpg").string();
  for (auto _ : state) {
    if (!SaveImageFile(*f.surface, path).ok()) state.SkipWithError("save failed");
  }
}

void BM_SavePngFile(benchmark::State& state) {
  Fixture& f = TheFixture();
  const std::string path = (f.dir / "saved.png").string();
  for (auto _ : state) {
    if (!SaveImageFile(*f.surface, path).ok()) state.SkipWithError("save failed");
  }
}

void BM_DecodeJpeg(benchmark::State& state) {
  Fixture& f = TheFixture();
  for (auto _ : state) {
    Bgr24Image image;
    if (DecodeJpeg(f.jpeg, image) != kImgOk) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(image.bits.data());
  }
}

void BM_DecodePng(benchmark::State& state) {
  Fixture& f = TheFixture();
  for (auto _ : state) {
    Bgr24Image image;
    if (DecodePng(f.png, image) != kImgOk) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(image.bits.data());
  }
}

void BM_EncodeJpeg(benchmark::State& state) {
  Fixture& f = TheFixture();
  for (auto _ : state) {
    std::vector<std::uint8_t> out;
    if (EncodeJpeg(f.surface->GetBlock(), 92, out) != kImgOk) state.SkipWithError("encode failed");
    benchmark::DoNotOptimize(out.data());
  }
}

void BM_EncodePng(benchmark::State& state) {
  Fixture& f = TheFixture();
  for (auto _ : state) {
    std::vector<std::uint8_t> out;
    if (EncodePng(f.surface->GetBlock(), out) != kImgOk) state.SkipWithError("encode failed");
    benchmark::DoNotOptimize(out.data());
  }
}

void BM_ResizeImage(benchmark::State& state) {
  Fixture& f = TheFixture();
  for (auto _ : state) {
    state.PauseTiming();
    auto surface = std::make_unique<CDADC>(*f.surface);
    state.ResumeTiming();
    if (!ResizeImage(&surface, SIZE{1600, 1200})) state.SkipWithError("resize failed");
    benchmark::DoNotOptimize(surface->GetBits());
  }
}

#define PHOTO_BENCHMARK(name) \
  BENCHMARK(name)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true)

PHOTO_BENCHMARK(BM_LoadJpegFile);
PHOTO_BENCHMARK(BM_LoadPngFile);
PHOTO_BENCHMARK(BM_SaveJpegFile);
PHOTO_BENCHMARK(BM_SavePngFile);
PHOTO_BENCHMARK(BM_DecodeJpeg);
PHOTO_BENCHMARK(BM_DecodePng);
PHOTO_BENCHMARK(BM_EncodeJpeg);
PHOTO_BENCHMARK(BM_EncodePng);
PHOTO_BENCHMARK(BM_ResizeImage);

}  // namespace
}  // namespace brisol
