#!/usr/bin/env bash
# Renders the manual's thumbnail of every bundled preset (res/Presets) from
# one photo, with seed 1, into docs/images/presets/NAME.jpg (the name in
# lower case, spaces as hyphens), and prints the manual's table of them.
#   tools/preset-thumbnails.sh [PHOTO]
# PHOTO defaults to coffee.png of the sample photographs
# ($BRISOL_SAMPLES, default /work/shared/samples). $BRISOL_CLI names the
# program (default: the release preset's). Each preset is rendered at the
# photo's size and then reduced to 240 pixels wide.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cli="${BRISOL_CLI:-$root/build/release/src/cli/brisol-cli}"
[ -x "$cli" ] || { echo "build the release preset first (or set BRISOL_CLI)" >&2; exit 1; }
photo="${1:-${BRISOL_SAMPLES:-/work/shared/samples}/coffee.png}"
[ -f "$photo" ] || { echo "no photo '$photo'" >&2; exit 1; }
out="$root/docs/images/presets"
mkdir -p "$out"
work="$(mktemp -d)"; trap 'rm -rf "$work"' EXIT

read -r w h < <("$cli" identify "$photo" | sed -n 's/.* \([0-9]*\) x \([0-9]*\).*/\1 \2/p')
tw=240; th=$(( h * tw / w ))
echo "| | preset | |"
echo "|---|---|---|"
for preset in "$root"/res/Presets/*.brisol; do
  name="$(basename "$preset" .brisol)"
  file="$(echo "$name" | tr 'A-Z ' 'a-z-').jpg"
  "$cli" render "$photo" "$work/full.png" --preset "$preset" --seed 1 --quiet
  "$cli" convert "$work/full.png" "$out/$file" --resize "${tw}x${th}" --quality 85
  description="$(sed -n 's/^# //p' "$preset" | head -1)"
  echo "| ![$name](images/presets/$file) | **$name** | $description |"
done
