#!/usr/bin/env bash
# Installs what is missing, builds, and shows the demonstration picture:
#   tools/run-demo.sh             a landscape made in code, painted with leaves
#   tools/run-demo.sh PHOTO       your photo (painted with leaves when there is no display)
# With a display ($DISPLAY or $WAYLAND_DISPLAY) the desktop program starts with
# the picture open; without one the picture is painted by brisol-cli and the
# path of the file it wrote is printed.
set -euo pipefail
photo=()
if [ $# -gt 0 ]; then photo=("$(realpath "$1")"); fi
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release >/dev/null
mkdir -p out
cli=build/release/src/cli/brisol-cli
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  if [ ${#photo[@]} -eq 0 ]; then photo=("$("$cli" demo --output "$PWD/out/brisol-demo.png")"); fi
  exec build/release/src/app/brisol "${photo[@]}"
fi
"$cli" demo "${photo[@]}" --output "$PWD/out/brisol-demo.png"
