#!/usr/bin/env bash
# Timed runs of `brisol-cli render` on a photo-sized picture: medians of
# several runs per collection, quality and number of objects, phase by phase.
#   bench/render-bench.sh PHOTO [RUNS] [COLLECTIONS...]
# PHOTO should be about 4000 x 3000 (make one with
#   brisol-cli convert SMALL.png photo.jpg --resize 4000x3000).
set -euo pipefail
cli="$(dirname "$0")/../build/release/src/cli/brisol-cli"
[ -x "$cli" ] || { echo "build the release preset first" >&2; exit 1; }
photo="$1"; runs="${2:-5}"; shift $(( $# > 1 ? 2 : 1 ))
collections=("$@"); [ ${#collections[@]} -gt 0 ] || collections=(Circles Stars Leaves)
out="$(mktemp -d)"; trap 'rm -rf "$out"' EXIT

median() { sort -n | awk '{a[NR]=$1} END {if (NR%2) print a[(NR+1)/2]; else printf "%.1f\n", (a[NR/2]+a[NR/2+1])/2}'; }

printf '| collection | quality | objects | total ms | load | forcefield | background | placement | drawing | mix | save | Mpx written | Mpx/s drawing |\n'
printf '|---|---|---|---|---|---|---|---|---|---|---|---|---|\n'
for c in "${collections[@]}"; do
  for q in 1 2; do
    for n in 3333 10000; do
      : > "$out/t"
      for ((i = 0; i < runs; i++)); do
        start=$(date +%s%N)
        "$cli" render "$photo" "$out/r.jpg" --effect "$c" --quality "$q" --objects "$n" --timings --quiet 2> "$out/e"
        end=$(date +%s%N)
        echo "total $(( (end - start) / 1000000 ))" >> "$out/t"
        sed -n 's/^phase \([a-z]*\) \(.*\)$/\1 \2/p; s/^pixels-written \(.*\)$/pixels \1/p' "$out/e" >> "$out/t"
      done
      row="| $c | $q | $n"
      for k in total load forcefield background placement drawing mix save; do
        row="$row | $(awk -v k="$k" '$1 == k {print $2}' "$out/t" | median)"
      done
      px=$(awk '$1 == "pixels" {print $2}' "$out/t" | median)
      draw=$(awk '$1 == "drawing" {print $2}' "$out/t" | median)
      row="$row | $(awk -v p="$px" 'BEGIN {printf "%.0f", p / 1e6}') | $(awk -v p="$px" -v d="$draw" 'BEGIN {printf "%.0f", p / 1e3 / d}') |"
      echo "$row"
    done
  done
done
