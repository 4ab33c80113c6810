#!/usr/bin/env bash
# Timed runs of `brisol-cli render` on a photo-sized picture: medians of
# several runs per collection, quality and number of objects, phase by phase.
#   bench/render-bench.sh PHOTO [RUNS] [COLLECTIONS...]
# Extra render options (e.g. "--threads 1", "--reference-drawing" for the
# in-order whole-picture drawing) come from $RENDER_FLAGS.
#
#   bench/render-bench.sh --goals PHOTO [RUNS]
# End to end and memory: render to JPEG and PNG against `brisol-cli convert`
# of the same photo to the same format (runs interleaved), and the largest
# resident memory of each render against the original plus the output.
#
# PHOTO should be about 4000 x 3000 (make one with
#   brisol-cli convert SMALL.png photo.jpg --resize 4000x3000).
# $BRISOL_CLI names the program (default: the release preset's).
set -euo pipefail
cli="${BRISOL_CLI:-$(dirname "$0")/../build/release/src/cli/brisol-cli}"
[ -x "$cli" ] || { echo "build the release preset first (or set BRISOL_CLI)" >&2; exit 1; }
goals=0
if [ "${1:-}" = "--goals" ]; then goals=1; shift; fi
photo="$1"; runs="${2:-5}"; shift $(( $# > 1 ? 2 : 1 ))
collections=("$@"); [ ${#collections[@]} -gt 0 ] || collections=(Circles Stars Leaves)
out="$(mktemp -d)"; trap 'rm -rf "$out"' EXIT
read -r -a flags <<< "${RENDER_FLAGS:-}"

median() { sort -n | awk '{a[NR]=$1} END {if (NR%2) print a[(NR+1)/2]; else printf "%.1f\n", (a[NR/2]+a[NR/2+1])/2}'; }
# Wall milliseconds and largest resident KiB of a command, as "MS KIB".
timed() {
  local start end
  start=$(date +%s%N)
  /usr/bin/time -f "%M" -o "$out/rss" "$@" > /dev/null 2> "$out/e"
  end=$(date +%s%N)
  echo "$(( (end - start) / 1000000 )) $(cat "$out/rss")"
}

if [ "$goals" = 1 ]; then
  echo "load: $(uptime | sed 's/.*load average: //')"
  read -r w h < <("$cli" identify "$photo" | sed -n 's/.* \([0-9]*\) x \([0-9]*\).*/\1 \2/p')
  pictures_kib=$(( 2 * ((w * 3 + 3) / 4 * 4) * h / 1024 ))
  printf '| collection | format | quality | objects | convert ms | render ms | ratio | render max RSS MiB | (original + output) MiB | RSS ratio |\n'
  printf '|---|---|---|---|---|---|---|---|---|---|\n'
  for c in "${collections[@]}"; do
    for fmt in jpg png; do
      for qn in "2 10000" "1 3333"; do
        read -r q n <<< "$qn"
        : > "$out/c"; : > "$out/r"
        for ((i = 0; i < runs; i++)); do
          timed "$cli" convert "$photo" "$out/c.$fmt" >> "$out/c"
          timed "$cli" render "$photo" "$out/r.$fmt" --effect "$c" --quality "$q" --objects "$n" --quiet "${flags[@]}" >> "$out/r"
        done
        cms=$(awk '{print $1}' "$out/c" | median); rms=$(awk '{print $1}' "$out/r" | median)
        rss=$(awk '{print $2}' "$out/r" | median)
        echo "| $c | $fmt | $q | $n | $cms | $rms | $(awk -v a="$rms" -v b="$cms" 'BEGIN {printf "%.2f", a / b}') |" \
             "$(awk -v r="$rss" 'BEGIN {printf "%.1f", r / 1024}') | $(awk -v p="$pictures_kib" 'BEGIN {printf "%.1f", p / 1024}') |" \
             "$(awk -v r="$rss" -v p="$pictures_kib" 'BEGIN {printf "%.2f", r / p}') |"
      done
    done
  done
  exit 0
fi

printf '| collection | quality | objects | total ms | load | forcefield | background | placement | drawing | mix | save | Mpx written | Mpx/s drawing |\n'
printf '|---|---|---|---|---|---|---|---|---|---|---|---|---|\n'
for c in "${collections[@]}"; do
  for q in 1 2; do
    for n in 3333 10000; do
      : > "$out/t"
      for ((i = 0; i < runs; i++)); do
        start=$(date +%s%N)
        "$cli" render "$photo" "$out/r.jpg" --effect "$c" --quality "$q" --objects "$n" --timings --quiet "${flags[@]}" 2> "$out/e"
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
