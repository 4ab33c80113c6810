#!/bin/bash
# Vector files against the PNG render of the same inputs: time (median of
# RUNS runs, interleaved) and file size for each format, for Circles, Stars
# and Leaves at 3,333 and 10,000 objects, on a 4000 x 3000 photo made by the
# test card (or PHOTO=path). The SVG is also written with a colour
# background, i.e. without the embedded photo, and the EPS without a mix
# (PostScript has no transparency: with the default mix, over the whole
# picture, an EPS holds the picture's pixels; without one, its objects).
#   bench/vector-bench.sh [BUILD_DIR] ; RUNS=5 SIZE=4000x3000 PHOTO=... to change
set -euo pipefail
build=${1:-build/release}
cli="$build/src/cli/brisol-cli"
runs=${RUNS:-3}
size=${SIZE:-4000x3000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ -n "${PHOTO:-}" ]; then photo=$PHOTO; else
  "$cli" testcard "$work/card.bmp" "$size" >/dev/null
  "$cli" convert "$work/card.bmp" "$work/photo.jpg" >/dev/null
  photo=$work/photo.jpg
fi
median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
seconds() { local s e; s=$(date +%s.%N); "$@" >/dev/null 2>&1; e=$(date +%s.%N); echo "$e - $s" | bc; }
printf "%-8s %6s %-10s %9s %8s %12s\n" effect objects output seconds "x png" bytes
for effect in Circles Stars Leaves; do
  for n in 3333 10000; do
    declare -A times=()
    outputs=(png svg pdf eps ps svg-colour eps-nomix)
    for ((r = 0; r < runs; r++)); do
      for out in "${outputs[@]}"; do
        extra=(); ext=$out
        if [ "$out" = svg-colour ]; then ext=svg; extra=(--background color --mix off); fi
        if [ "$out" = eps-nomix ]; then ext=eps; extra=(--mix off); fi
        t=$(seconds "$cli" render "$photo" "$work/out-$out.$ext" --quiet --effect $effect --objects $n "${extra[@]}")
        times[$out]="${times[$out]:-} $t"
      done
    done
    png=$(echo ${times[png]} | tr ' ' '\n' | median)
    for out in "${outputs[@]}"; do
      ext=$out; [ "$out" = svg-colour ] && ext=svg; [ "$out" = eps-nomix ] && ext=eps
      m=$(echo ${times[$out]} | tr ' ' '\n' | median)
      printf "%-8s %6s %-10s %9.3f %8.2f %12s\n" $effect $n $out "$m" "$(echo "$m / $png" | bc -l)" \
        "$(stat -c %s "$work/out-$out.$ext")"
    done
    unset times
  done
done
