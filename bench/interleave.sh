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
median() { sort -n | awk '{a[NR]=$1} END {if (NR%2) print a[(NR+1)/2]; else print (a[NR/2]+a[NR/2+1])/2}'; }
printf '| benchmark | program | median ms | runs | counter |\n|---|---|---|---|---|\n'
awk '{print $2}' "$out/all" | awk '!seen[$0]++' | while read -r name; do
  for ((i = 1; i <= $#; i++)); do
    awk -v n="$name" -v p="$i" '$2 == n && $1 == p' "$out/all" > "$out/one"
    [ -s "$out/one" ] || continue
    printf '| %s | %s | %.1f | %s | %s |\n' "$name" "$i" "$(awk '{print $3}' "$out/one" | median)" \
      "$(wc -l < "$out/one")" "$(tail -1 "$out/one" | awk '{print $4}')"
  done
done | sed 's/"//g'
echo
for ((i = 1; i <= $#; i++)); do echo "program $i: ${!i}"; done
