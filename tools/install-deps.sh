#!/usr/bin/env bash
# Installs the Debian packages Brisol needs to build, test and run.
# Idempotent: does nothing when every package is already present.
set -euo pipefail

PACKAGES=(
  # toolchain (ccache only speeds up rebuilds)
  g++ cmake ninja-build pkg-config make ccache
  # drawing: geometry, text
  libagg-dev libfreetype-dev libfontconfig-dev fonts-liberation2
  # the windows' texts and the splash picture (DejaVu Sans and Serif), so that
  # every window has the size it is tested at
  fonts-dejavu-core
  # picture files
  libpng-dev libjpeg62-turbo-dev libstb-dev libdeflate-dev
  # vector files (SVG, PDF, EPS)
  libcairo2-dev
  # the desktop program, and a display for looking at it without a screen
  # (xdotool works its windows there, for the manual's screenshots)
  qt6-base-dev xvfb xauth xdotool
  # a real window manager, so that the screenshot tests see frames and title bars
  openbox
  # tests: a trusted decoder and encoder to compare the BMP/TGA/PCX codecs with
  imagemagick
  # tests: Pillow, a second independent PNG reader
  python3-pil
  # tests: independent renderers and checkers of the vector files
  librsvg2-bin poppler-utils ghostscript libxml2-utils qpdf
  # tests and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  # fuzzing (libFuzzer with sanitizers)
  clang libclang-rt-14-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}" >&2
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then SUDO="sudo"; else
    echo "install-deps: missing packages (${missing[*]}); run as root or install sudo" >&2
    exit 1
  fi
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
