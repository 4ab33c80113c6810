#!/usr/bin/env bash
# brisol-gui-bench of two (or more) builds run in turns, and the median over
# all rounds of each build's per-round medians: the machine's load then
# weighs on every build alike.
#   bench/gui/gui-interleave.sh ROUNDS PHOTO "BENCH OPTIONS" PROGRAM...
# Example (main against this branch, the 24-megapixel case):
#   bench/gui/gui-interleave.sh 5 photo.jpg \
#     "--resize 6000x4000 --runs 15 --quality 2 --objects 3333 --collection Leaves" \
#     /tmp/base/build/release/bench/gui/brisol-gui-bench build/release/bench/gui/brisol-gui-bench
set -euo pipefail
rounds="$1"; photo="$2"; read -r -a options <<< "$3"; shift 3
out="$(mktemp -d)"; trap 'rm -rf "$out"' EXIT
export QT_QPA_PLATFORM=offscreen
for ((r = 0; r < rounds; r++)); do
  for ((i = 1; i <= $#; i++)); do
    echo "round $((r + 1)) program $i: load $(cut -d' ' -f1 /proc/loadavg)" >&2
    "${!i}" "$photo" "${options[@]}" 2> /dev/null | grep '^summary' >> "$out/$i" || true
  done
done
median() { sort -n | awk '{a[NR]=$1} END {if (NR%2) print a[(NR+1)/2]; else printf "%.1f\n", (a[NR/2]+a[NR/2+1])/2}'; }
printf '| program | rounds | first update ms | exact picture ms | UI block ms | longest event ms |\n|---|---|---|---|---|---|\n'
for ((i = 1; i <= $#; i++)); do
  [ -s "$out/$i" ] || continue
  printf '| %s | %s | %s | %s | %s | %s |\n' "$i" "$(wc -l < "$out/$i")" \
    "$(awk '{print $3}' "$out/$i" | median)" "$(awk '{print $5}' "$out/$i" | median)" \
    "$(awk '{print $7}' "$out/$i" | median)" "$(awk '{print $9}' "$out/$i" | median)"
  echo "  per round exact: $(awk '{printf "%s ", $5}' "$out/$i")" >&2
done
for ((i = 1; i <= $#; i++)); do echo "program $i: ${!i}"; done
