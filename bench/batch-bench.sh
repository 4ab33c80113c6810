#!/usr/bin/env bash
# Batch throughput: `brisol-cli batch` over COUNT photos of 1 and of 12
# megapixels, --jobs 1 against --jobs 2 (runs interleaved, so that a busy
# machine slows both alike), the median wall time of RUNS runs each and the
# speed-up of --jobs 2.
#   bench/batch-bench.sh [PHOTO] [RUNS]
# PHOTO is reduced or enlarged to 1224 x 816 and 4242 x 2828 pixels and
# linked COUNT times under different names (each gets its own seed through
# --seed from-name, so the pictures differ). Default photo: coffee.png of the
# sample photographs ($BRISOL_SAMPLES, default /work/shared/samples); RUNS
# defaults to 3.
# Environment: COUNT (100), SIZES ("1 12"), JOBS ("1 2"; an entry J/T runs
# --jobs J --threads T, so "1 2 1/1" adds one job on one core), FORMAT (jpg) and
# LOOK (more batch options, e.g. "--preset Pointillist"; default the default
# collection and settings). $BRISOL_CLI names the program (default: the
# release preset's).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cli="${BRISOL_CLI:-$root/build/release/src/cli/brisol-cli}"
[ -x "$cli" ] || { echo "build the release preset first (or set BRISOL_CLI)" >&2; exit 1; }
photo="${1:-${BRISOL_SAMPLES:-/work/shared/samples}/coffee.png}"
runs="${2:-3}"
count="${COUNT:-100}"
read -r -a sizes <<< "${SIZES:-1 12}"
read -r -a jobs <<< "${JOBS:-1 2}"
read -r -a look <<< "${LOOK:-}"
format="${FORMAT:-jpg}"
work="$(mktemp -d)"; trap 'rm -rf "$work"' EXIT

median() { sort -n | awk '{a[NR]=$1} END {if (NR%2) print a[(NR+1)/2]; else printf "%.0f\n", (a[NR/2]+a[NR/2+1])/2}'; }

echo "cores: $(nproc); load: $(uptime | sed 's/.*load average: //'); $count photos, $runs runs"
printf '| photos | size | jobs | threads | median s | photos/s | speed-up |\n|---|---|---|---|---|---|---|\n'
for mp in "${sizes[@]}"; do
  case "$mp" in
    1) geometry=1224x816 ;;
    12) geometry=4242x2828 ;;
    *) echo "size $mp: use 1 or 12" >&2; exit 1 ;;
  esac
  rm -rf "$work/in"; mkdir -p "$work/in"
  "$cli" convert "$photo" "$work/source.jpg" --resize "$geometry" --quality 90
  for ((i = 0; i < count; i++)); do ln -s "$work/source.jpg" "$(printf '%s/in/photo-%03d.jpg' "$work" "$i")"; done
  for j in "${jobs[@]}"; do : > "$work/t${j/\//-}"; done
  for ((r = 0; r < runs; r++)); do
    for j in "${jobs[@]}"; do
      rm -rf "$work/out"
      start=$(date +%s%N)
      threads=(); [[ "$j" == */* ]] && threads=(--threads "${j#*/}")
      "$cli" batch "$work/in" --out "$work/out" --format "$format" --seed from-name --jobs "${j%/*}" "${threads[@]}" \
        --quiet "${look[@]}" 2> "$work/err" ||
        { cat "$work/err" >&2; exit 1; }
      end=$(date +%s%N)
      echo $(( (end - start) / 1000000 )) >> "$work/t${j/\//-}"
    done
  done
  first="${jobs[0]}"; base=$(median < "$work/t${first/\//-}")
  for j in "${jobs[@]}"; do
    ms=$(median < "$work/t${j/\//-}")
    t="all"; [[ "$j" == */* ]] && t="${j#*/}"
    awk -v n="$count" -v mp="$mp" -v j="${j%/*}" -v t="$t" -v ms="$ms" -v base="$base" \
      'BEGIN {printf "| %d | %d MP | %s | %s | %.1f | %.2f | %.2f |\n", n, mp, j, t, ms / 1000, n / (ms / 1000), base / ms}'
  done
  echo "raw ms, size $mp MP: $(for j in "${jobs[@]}"; do echo -n "jobs $j: $(tr '\n' ' ' < "$work/t${j/\//-}"); "; done)"
done
