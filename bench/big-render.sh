#!/usr/bin/env bash
# The largest render: a 20000 x 15000 photo at quality 2, JPEG in and out,
# against `brisol-cli convert` of the same photo to JPEG, runs interleaved;
# wall time and largest resident memory of each, medians of the runs.
#   bench/big-render.sh [RUNS] [CLI...]
# Each CLI named (default: the release preset's) renders in every round, so
# that a build from before a change can be compared in the same session.
# The photo is made once (from the sample photo, resized) as $BIG_PHOTO
# (default /tmp/brisol-big.jpg). Render options come from $RENDER_FLAGS
# (default: Stars, 10,000 objects).
set -euo pipefail
here="$(dirname "$0")"
runs="${1:-3}"; shift $(( $# > 0 ? 1 : 0 ))
clis=("$@"); [ ${#clis[@]} -gt 0 ] || clis=("$here/../build/release/src/cli/brisol-cli")
photo="${BIG_PHOTO:-/tmp/brisol-big.jpg}"
sample="${SAMPLE_PHOTO:-$here/../../shared/samples/rocket.jpg}"
read -r -a flags <<< "${RENDER_FLAGS:---effect Stars --objects 10000}"
out="$(mktemp -d)"; trap 'rm -rf "$out"' EXIT
[ -f "$photo" ] || "${clis[0]}" convert "$sample" "$photo" --resize 20000x15000

median() { sort -n | awk '{a[NR]=$1} END {if (NR%2) print a[(NR+1)/2]; else printf "%.2f\n", (a[NR/2]+a[NR/2+1])/2}'; }
timed() {  # "SECONDS KIB" of a command
  /usr/bin/time -f "%e %M" -o "$out/t" "$@" > /dev/null 2> "$out/e" || { cat "$out/e" >&2; exit 1; }
  cat "$out/t"
}

echo "load: $(uptime | sed 's/.*load average: //')"
: > "$out/convert"
for ((i = 0; i < ${#clis[@]}; i++)); do : > "$out/render$i"; done
for ((r = 0; r < runs; r++)); do
  timed "${clis[0]}" convert "$photo" "$out/c.jpg" >> "$out/convert"
  for ((i = 0; i < ${#clis[@]}; i++)); do
    timed "${clis[$i]}" render "$photo" "$out/r.jpg" --quality 2 --quiet "${flags[@]}" >> "$out/render$i"
  done
done
cs=$(awk '{print $1}' "$out/convert" | median); cm=$(awk '{print $2}' "$out/convert" | median)
printf '| program | wall s | max RSS MiB | against convert |\n|---|---|---|---|\n'
printf '| convert | %s | %.0f | 1.00 |\n' "$cs" "$(awk -v k="$cm" 'BEGIN {print k / 1024}')"
for ((i = 0; i < ${#clis[@]}; i++)); do
  s=$(awk '{print $1}' "$out/render$i" | median); m=$(awk '{print $2}' "$out/render$i" | median)
  printf '| render (%s) | %s | %.0f | %.2f |\n' "${clis[$i]}" "$s" "$(awk -v k="$m" 'BEGIN {print k / 1024}')" \
    "$(awk -v a="$s" -v b="$cs" 'BEGIN {print a / b}')"
done
