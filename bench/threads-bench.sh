#!/usr/bin/env bash
# A whole `brisol-cli render` (load, draw, save) on 2 threads against 1:
# quality 2, 10,000 objects, Circles, Stars and Leaves, to PNG and JPEG;
# runs interleaved, medians of wall times.
#   bench/threads-bench.sh PHOTO [RUNS] [CLI...]
# PHOTO should be about 4000 x 3000. Each CLI named (default: the release
# preset's) is measured in every round.
set -euo pipefail
here="$(dirname "$0")"
photo="$1"; runs="${2:-5}"; shift $(( $# > 1 ? 2 : 1 ))
clis=("$@"); [ ${#clis[@]} -gt 0 ] || clis=("$here/../build/release/src/cli/brisol-cli")
out="$(mktemp -d)"; trap 'rm -rf "$out"' EXIT
median() { sort -n | awk '{a[NR]=$1} END {if (NR%2) print a[(NR+1)/2]; else print (a[NR/2]+a[NR/2+1])/2}'; }
ms() { local s e; s=$(date +%s%N); "$@" > /dev/null 2>&1; e=$(date +%s%N); echo $(( (e - s) / 1000000 )); }

echo "load: $(uptime | sed 's/.*load average: //')"
printf '| program | collection | format | 1 thread ms | 2 threads ms | speed-up |\n|---|---|---|---|---|---|\n'
for c in Circles Stars Leaves; do
  for fmt in png jpg; do
    for ((i = 0; i < ${#clis[@]}; i++)); do : > "$out/$i.1"; : > "$out/$i.2"; done
    for ((r = 0; r < runs; r++)); do
      for ((i = 0; i < ${#clis[@]}; i++)); do
        for t in 1 2; do
          ms "${clis[$i]}" render "$photo" "$out/r.$fmt" --effect "$c" --quality 2 --objects 10000 --quiet --threads "$t" >> "$out/$i.$t"
        done
      done
    done
    for ((i = 0; i < ${#clis[@]}; i++)); do
      one=$(median < "$out/$i.1"); two=$(median < "$out/$i.2")
      printf '| %s | %s | %s | %s | %s | %.2f |\n' "$i" "$c" "$fmt" "$one" "$two" "$(awk -v a="$one" -v b="$two" 'BEGIN {print a / b}')"
    done
  done
done
for ((i = 0; i < ${#clis[@]}; i++)); do echo "program $i: ${clis[$i]}"; done
