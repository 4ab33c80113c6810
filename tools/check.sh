#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
#   tools/check.sh            optimised build (build/release)
#   tools/check.sh asan       AddressSanitizer + UndefinedBehaviorSanitizer build (build/asan)
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-release}"
tools/install-deps.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset"
