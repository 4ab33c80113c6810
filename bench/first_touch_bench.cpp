// The first touch of a whole picture's fresh memory, with and without
// asking the kernel for huge pages (madvise MADV_HUGEPAGE), and a pass over
// the same memory once touched: whether huge pages pay for large working
// buffers on this machine.
//   BM_FirstTouch/MEGABYTES/HUGE_PAGES
#include <benchmark/benchmark.h>
#include <sys/mman.h>

#include <chrono>
#include <cstdint>
#include <cstring>

namespace {

void BM_FirstTouch(benchmark::State& state) {
  const std::size_t bytes = static_cast<std::size_t>(state.range(0)) << 20;
  const bool huge = state.range(1) != 0;
  double touchedAgainMs = 0;
  for (auto _ : state) {
    void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) return state.SkipWithError("no memory");
    madvise(p, bytes, huge ? MADV_HUGEPAGE : MADV_NOHUGEPAGE);
    auto* c = static_cast<volatile std::uint8_t*>(p);
    for (std::size_t i = 0; i < bytes; i += 4096) c[i] = 1;
    state.PauseTiming();
    const auto start = std::chrono::steady_clock::now();
    std::memset(p, 2, bytes);
    touchedAgainMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    munmap(p, bytes);
    state.ResumeTiming();
  }
  state.counters["memset_after_ms"] = touchedAgainMs;
  state.SetLabel(huge ? "huge pages asked for" : "small pages");
}
BENCHMARK(BM_FirstTouch)->ArgsProduct({{36, 900}, {0, 1}})->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
