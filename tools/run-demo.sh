#!/usr/bin/env bash
# Installs what is missing, builds, and makes the demonstration picture:
#   tools/run-demo.sh             a landscape made in code, painted with leaves
#   tools/run-demo.sh PHOTO       your photo, painted with leaves
# Prints the path of the picture it wrote.
set -euo pipefail
photo=()
if [ $# -gt 0 ]; then photo=("$(realpath "$1")"); fi
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release >/dev/null
mkdir -p out
build/release/src/cli/brisol-cli demo "${photo[@]}" --output "$PWD/out/brisol-demo.png"
