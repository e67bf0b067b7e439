#!/usr/bin/env bash
# Installs the Debian packages that the build, the program and the tests need, only when missing.
# With --assets it also installs what the asset generators need (make assets).
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build pkg-config
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  # fuzz targets (libFuzzer comes with clang's runtime)
  clang libclang-rt-14-dev zlib1g-dev
  # libraries the program calls
  libboost-dev libxerces-c-dev libpng-dev libjpeg62-turbo-dev
  libogg-dev libvorbis-dev libtheora-dev libagg-dev
  # platform layer
  libsdl2-dev libx11-dev libfreetype-dev libfontconfig-dev libcups2-dev libcairo2-dev
  fonts-liberation fonts-dejavu-core
  # a private print scheduler for the tests, and reading printed pages back
  cups-daemon cups-client poppler-utils
  # a real X display for the tests that start the program and the presenter benchmark
  xvfb xdotool
)
# The praise clips' encoder is compiled with the toolchain, pkg-config and libtheora-dev listed above.
asset_packages=(
  python3 python3-cairo espeak-ng vorbis-tools sox
)

if [ "${1:-}" = "--assets" ]; then
  packages+=("${asset_packages[@]}")
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  SUDO=sudo
else
  SUDO=
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
