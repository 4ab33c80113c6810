// Benchmarks of the core: run build/release/bench/brisol_bench.
#include <benchmark/benchmark.h>
