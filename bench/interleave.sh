#!/usr/bin/env bash
# Google Benchmark programs run in turns (before and after a change, say),
# one repetition each per round, and the median of each benchmark's time per
# program: the machine's load then weighs on all of them alike.
#   bench/interleave.sh FILTER ROUNDS PROGRAM...
# Example (the 12-megapixel PNG save, 1 and 2 threads, this build against an
# older one): BRISOL_PHOTO=photo.jpg bench/interleave.sh 'BM_PngSave' 7 \
#   /tmp/old/banded_bench build/release/bench/banded_bench
set -euo pipefail
filter="$1"; rounds="$2"; shift 2
out="$(mktemp -d)"; trap 'rm -rf "$out"' EXIT
for ((r = 0; r < rounds; r++)); do
  for ((i = 1; i <= $#; i++)); do
    "${!i}" --benchmark_filter="$filter" --benchmark_format=csv 2> /dev/null |
      awk -F, -v p="$i" 'NR > 1 && $1 ~ /^"BM_/ {print p, $1, $3, $NF}' >> "$out/all"
  done
done
printf '| benchmark | program | median ms | runs | counter |\n|---|---|---|---|---|\n'
sort -k2,2 -k1,1n "$out/all" | awk '
  function flush() { if (n) { asort(v); m = n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2;
                     printf "| %s | %s | %.1f | %d | %s |\n", name, prog, m, n, extra }; delete v; n = 0 }
  { key = $2 " " $1; if (key != last) { flush(); last = key; name = $2; prog = $1 } v[++n] = $3; extra = $4 }
  END { flush() }' | sed 's/"//g'
echo
for ((i = 1; i <= $#; i++)); do echo "program $i: ${!i}"; done
