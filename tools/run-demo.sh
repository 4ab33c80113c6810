#!/usr/bin/env bash
# Installs what is missing, builds, and makes the demonstration picture.
# Prints the path of the picture it wrote.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release >/dev/null
mkdir -p out
build/release/src/cli/brisol-cli testcard "$PWD/out/brisol-demo.bmp" 1600x1000
