// Benchmarks of the effect engine's own steps: the reduce-and-mix of a
// quality-2 working picture into a 4000 x 3000 output, and the placement
// pass of 10,000 objects.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "effect/AAMixBlit.h"
#include "effect/Effect.h"
#include "effect/EffectPaths.h"
#include "effect/ForceField.h"
#include "effect/Placement.h"
#include "logger/Alerts.h"

namespace brisol {
namespace {

constexpr int kW = 4000, kH = 3000;

void Paint(CDADC& s, int seed) {
  const PixelBlock b = s.GetBlock();
  unsigned state = static_cast<unsigned>(seed);
  for (int y = 0; y < b.height; ++y) {
    std::uint8_t* p = b.Row(y);
    for (int x = 0; x < 3 * b.width; ++x) {
      state = state * 1664525u + 1013904223u;
      p[x] = static_cast<std::uint8_t>((x + y + (state >> 28)) & 0xFF);
    }
  }
}

void BM_MixQuality2(benchmark::State& state) {
  CDADC work(SIZE{2 * kW, 2 * kH}), orig(SIZE{kW, kH}), out(SIZE{kW, kH});
  Paint(work, 1);
  Paint(orig, 2);
  const CImageMix mix{static_cast<int>(state.range(0)), 10, 50};
  for (auto _ : state) {
    bool mixed = AAMixBlit(&out, &work, &orig, &mix).ok();
    benchmark::DoNotOptimize(mixed);
    benchmark::DoNotOptimize(out.GetBits());
  }
  state.SetLabel(GetMixGeomDesc(mix.m_eGeom));
  state.counters["Mpx/s"] =
      benchmark::Counter(static_cast<double>(kW) * kH * state.iterations() / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MixQuality2)->Arg(eMixOff)->Arg(eMixEven)->Arg(eMixCircVignette)->Unit(benchmark::kMillisecond);

void BM_Placement(benchmark::State& state) {
  const std::string dir = FindCollection("Stars");
  if (dir.empty()) {
    state.SkipWithError("no bundled collection found");
    return;
  }
  CEffect effect(dir.c_str());
  effect.SetNumObjects(10000);
  CDADC photo(SIZE{kW, kH});
  Paint(photo, 3);
  const CForceField field(photo);
  PlacementInput in{&photo, &field, field.GetMinForceFromArea(50), 2 * kW * 0.01, 18, 2};
  for (auto _ : state) {
    CRandomSource random(1);
    benchmark::DoNotOptimize(PlaceObjects(effect, in, random).size());
  }
}
BENCHMARK(BM_Placement)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brisol
