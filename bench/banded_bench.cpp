// The phases of a render of a 4000 x 3000 photo, the banded topmost-first
// drawing against the reference in-order drawing into a whole working
// picture:
//   BM_DrawingPhase/COLLECTION/OBJECTS/REFERENCE  the objects only, one thread
//   BM_BandRows/COLLECTION/ROWS                    the objects against the bands' height
//   BM_InMemory/COLLECTION/QUALITY/OBJECTS/THREADS everything but load and save
//   BM_PngSave/LIBPNG_DEFAULTS/THREADS             saving the rendered picture
//   BM_PngPieces/KILOBYTES/THREADS                 the same against the pieces' size
// The photo is $BRISOL_PHOTO when set (any picture file; 4000 x 3000
// recommended), else a photo-like picture made here. Times are medians
// of the repetitions (--benchmark_repetitions).
#include <benchmark/benchmark.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "effect/Effect.h"
#include "effect/EffectPaths.h"
#include "effect/Runner.h"
#include "imageio/LoadPicture.h"
#include "imageio/codecs/ImageCodec.h"
#include "imageio/codecs/PngEncode.h"
#include "logger/Alerts.h"

namespace brisol {
namespace {

constexpr int kW = 4000, kH = 3000;
const char* const kCollections[] = {"Circles", "Stars", "Leaves"};

const CDADC& Photo() {
  static const std::unique_ptr<CDADC> photo = [] {
    if (const char* path = std::getenv("BRISOL_PHOTO"); path && *path) {
      if (LoadResult loaded = LoadPicture(path)) return std::move(loaded).value();
    }
    auto made = std::make_unique<CDADC>(SIZE{kW, kH});
    const PixelBlock b = made->GetBlock();
    unsigned state = 1;
    for (int y = 0; y < kH; ++y) {
      std::uint8_t* p = b.Row(y);
      for (int x = 0; x < kW; ++x, p += 3) {
        state = state * 1664525u + 1013904223u;
        const int noise = static_cast<int>(state >> 27);
        const bool disc = (x - 1500) * (x - 1500) + (y - 1400) * (y - 1400) < 900 * 900;
        p[0] = static_cast<std::uint8_t>(disc ? 230 - noise : x * 190 / kW + noise);
        p[1] = static_cast<std::uint8_t>(disc ? 200 + noise : y * 170 / kH + noise);
        p[2] = static_cast<std::uint8_t>((x + y) * 150 / (kW + kH) + noise);
      }
    }
    return made;
  }();
  return *photo;
}

const CEffect* Effect(int index) {
  static std::map<int, std::unique_ptr<CEffect>> effects;
  auto& effect = effects[index];
  if (!effect) {
    const std::string dir = FindCollection(kCollections[index]);
    if (dir.empty()) return nullptr;
    effect = std::make_unique<CEffect>(dir.c_str());
  }
  return effect.get();
}

// Keeps the phases' times.
struct PhaseTimes : DrawObserver {
  std::map<std::string, double> ms;
  void Phase(const char* name, double milliseconds) override { ms[name] = milliseconds; }
};

double Render(const CEffect& effect, int level, const DrawSettings& settings, PhaseTimes& times) {
  const CDADC& photo = Photo();
  CDADC out(photo.GetSize());
  CEffectOutput target;
  target.SetUp(&out, nullptr, photo.GetSize());
  const auto start = std::chrono::steady_clock::now();
  if (!effect.DrawIntoOutput(&target, &photo, level, settings, &times)) return -1;
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// range: collection, objects, reference (1) or banded (0). Quality 2.
void BM_DrawingPhase(benchmark::State& state) {
  const CEffect* found = Effect(static_cast<int>(state.range(0)));
  if (!found) return state.SkipWithError("no bundled collection found");
  CEffect effect = *found;
  effect.SetNumObjects(static_cast<unsigned>(state.range(1)));
  DrawSettings settings;
  settings.reference = state.range(2) != 0;
  settings.threads = 1;
  for (auto _ : state) {
    PhaseTimes times;
    Render(effect, 2, settings, times);
    state.SetIterationTime(times.ms["drawing"] / 1000.0);
  }
  state.SetLabel(std::string(kCollections[state.range(0)]) + (settings.reference ? " reference" : " topmost-first"));
}
BENCHMARK(BM_DrawingPhase)
    ->ArgsProduct({{0, 1, 2}, {3333, 10000}, {1, 0}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// range: collection, band rows (0: chosen by the objects); quality 2,
// 10,000 objects, one thread: the objects' drawing against the height of
// the bands.
void BM_BandRows(benchmark::State& state) {
  const CEffect* found = Effect(static_cast<int>(state.range(0)));
  if (!found) return state.SkipWithError("no bundled collection found");
  CEffect effect = *found;
  effect.SetNumObjects(10000);
  DrawSettings settings;
  settings.threads = 1;
  settings.bandRows = static_cast<int>(state.range(1));
  for (auto _ : state) {
    PhaseTimes times;
    Render(effect, 2, settings, times);
    state.SetIterationTime(times.ms["drawing"] / 1000.0);
  }
  state.SetLabel(std::string(kCollections[state.range(0)]) + " bands of " +
                 (settings.bandRows ? std::to_string(settings.bandRows) + " rows" : "automatic height"));
}
BENCHMARK(BM_BandRows)
    ->ArgsProduct({{0, 1, 2}, {0, 96, 192, 384, 768, 1536}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// range: collection, quality, objects, threads.
void BM_InMemory(benchmark::State& state) {
  const CEffect* found = Effect(static_cast<int>(state.range(0)));
  if (!found) return state.SkipWithError("no bundled collection found");
  CEffect effect = *found;
  effect.SetNumObjects(static_cast<unsigned>(state.range(2)));
  DrawSettings settings;
  settings.threads = static_cast<unsigned>(state.range(3));
  for (auto _ : state) {
    PhaseTimes times;
    state.SetIterationTime(Render(effect, static_cast<int>(state.range(1)), settings, times));
  }
  state.SetLabel(std::string(kCollections[state.range(0)]) + " q" + std::to_string(state.range(1)) + " " +
                 std::to_string(state.range(3)) + " thread(s)");
}
BENCHMARK(BM_InMemory)
    ->ArgsProduct({{0, 1, 2}, {1, 2}, {3333, 10000}, {1, 2}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// libpng with its defaults (zlib level 6, a filter chosen per row), as the
// program wrote PNG before.
std::size_t LibpngDefaults(const PixelBlock& picture) {
  std::vector<std::uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return 0;
  }
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep data, png_size_t n) {
        auto* v = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(p));
        v->insert(v->end(), data, data + n);
      },
      [](png_structp) {});
  png_set_IHDR(png, info, picture.width, picture.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_set_bgr(png);
  for (int y = 0; y < picture.height; ++y) png_write_row(png, picture.Row(y));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out.size();
}

// The rendered picture: Stars, quality 2, 10,000 objects.
const CDADC& Rendered() {
  static const std::unique_ptr<CDADC> picture = [] {
    auto out = std::make_unique<CDADC>(Photo().GetSize());
    if (const CEffect* found = Effect(1)) {
      CEffect effect = *found;
      effect.SetNumObjects(10000);
      CEffectOutput target;
      target.SetUp(out.get(), nullptr, out->GetSize());
      if (const Done drawn = effect.DrawIntoOutput(&target, &Photo(), 2); !drawn)
        std::fprintf(stderr, "the picture could not be drawn: %s\n", drawn.message().c_str());
    }
    return out;
  }();
  return *picture;
}

// range: 1 for libpng's defaults, 0 for the program's writer; threads.
void BM_PngSave(benchmark::State& state) {
  const PixelBlock picture = Rendered().GetBlock();
  std::size_t bytes = 0;
  for (auto _ : state) {
    if (state.range(0)) {
      bytes = LibpngDefaults(picture);
    } else {
      std::vector<std::uint8_t> out;
      EncodePngOnThreads(picture, out, static_cast<unsigned>(state.range(1)));
      bytes = out.size();
    }
  }
  state.counters["file_bytes"] = static_cast<double>(bytes);
  state.SetLabel(state.range(0) ? "libpng defaults" : "Up + libdeflate 2, threads " + std::to_string(state.range(1)));
}
BENCHMARK(BM_PngSave)->Args({1, 1})->Args({0, 1})->Args({0, 2})->Unit(benchmark::kMillisecond)->UseRealTime();

// range: kilobytes of filtered rows a piece compressed apart, threads: the
// file's size and the time against the pieces' size.
void BM_PngPieces(benchmark::State& state) {
  const PixelBlock picture = Rendered().GetBlock();
  std::size_t bytes = 0;
  for (auto _ : state) {
    PngPieces pieces(picture.width, picture.height, static_cast<std::size_t>(state.range(0)) << 10);
    WorkerPool(static_cast<unsigned>(state.range(1))).ParallelFor(pieces.Count(), [&](std::size_t k) {
      pieces.Encode(k, picture);
    });
    std::vector<std::uint8_t> out;
    pieces.Finish(out);
    bytes = out.size();
  }
  state.counters["file_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_PngPieces)
    ->ArgsProduct({{256, 512, 1024, 2048, 4096, 65536}, {1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace brisol
