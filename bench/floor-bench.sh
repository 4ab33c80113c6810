#!/usr/bin/env bash
# The in-memory phases of a 4000 x 3000 render (quality 2, 10,000 objects,
# Circles, Stars and Leaves; everything but loading and saving) against the
# memory-traffic floor of the same picture: its working picture written
# once at the machine's memset rate, the original read once at its read
# rate and the output written once at its streaming-store rate. The rates
# come from `bw`, the measurement equipment in ../shared/bench, built in a
# temporary folder (its code is not part of the project). Rounds alternate
# bw and the benchmark; medians.
#   bench/floor-bench.sh PHOTO [ROUNDS] [BANDED_BENCH...]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
photo="$1"; rounds="${2:-5}"; shift $(( $# > 1 ? 2 : 1 ))
benches=("$@"); [ ${#benches[@]} -gt 0 ] || benches=("$here/../build/release/bench/banded_bench")
equipment="${BW_DIR:-$here/../../shared/bench}"
out="$(mktemp -d)"; trap 'rm -rf "$out"' EXIT
cp "$equipment/bw.cpp" "$equipment/common.hpp" "$equipment/spanfill.hpp" "$out/"
g++ -O2 -march=x86-64-v2 -std=c++17 -o "$out/bw" "$out/bw.cpp" -pthread

median() { sort -n | awk '{a[NR]=$1} END {if (NR%2) print a[(NR+1)/2]; else print (a[NR/2]+a[NR/2+1])/2}'; }
for ((r = 0; r < rounds; r++)); do
  "$out/bw" --reps 3 2> /dev/null | awk '$1 == "ANCHOR" && $3 == "threads=1" {
      split($2, k, "="); split($4, m, "="); print k[2], m[2] }' >> "$out/bw.txt"
  for ((i = 0; i < ${#benches[@]}; i++)); do
    BRISOL_PHOTO="$photo" "${benches[$i]}" --benchmark_filter='BM_InMemory/./2/10000/[12]/' --benchmark_format=csv \
      2> /dev/null | awk -F, -v p="$i" 'NR > 1 && $1 ~ /^"BM_/ {gsub(/"/, "", $1); print p, $1, $3}' >> "$out/mem.txt"
  done
done
# bw's canvas is 8000 x 6000 x 3 = 144,000,000 bytes: the working picture
# of a 4000 x 3000 photo at quality 2; original and output are a quarter.
memset=$(awk '$1 == "memset" {print $2}' "$out/bw.txt" | median)
readms=$(awk '$1 == "read" {print $2}' "$out/bw.txt" | median)
stream=$(awk '$1 == "stream-store" {print $2}' "$out/bw.txt" | median)
floor=$(awk -v a="$memset" -v b="$readms" -v c="$stream" 'BEGIN {printf "%.1f", a + b / 4 + c / 4}')
echo "bw medians (144 MB, one thread): memset $memset ms, read $readms ms, stream-store $stream ms"
echo "floor for 4000 x 3000 at quality 2: $floor ms"
printf '| benchmark | program | median ms | times the floor |\n|---|---|---|---|\n'
names=(Circles Stars Leaves)
for key in $(awk '{print $2}' "$out/mem.txt" | sort -u); do
  for ((i = 0; i < ${#benches[@]}; i++)); do
    ms=$(awk -v k="$key" -v p="$i" '$2 == k && $1 == p {print $3}' "$out/mem.txt" | median)
    c=$(echo "$key" | cut -d/ -f2)
    printf '| %s (%s) | %s | %.1f | %.1f |\n' "$key" "${names[$c]}" "$i" "$ms" "$(awk -v m="$ms" -v f="$floor" 'BEGIN {print m / f}')"
  done
done
for ((i = 0; i < ${#benches[@]}; i++)); do echo "program $i: ${benches[$i]}"; done
