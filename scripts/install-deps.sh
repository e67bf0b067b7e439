#!/usr/bin/env bash
# Installs the Debian packages the project needs, only when missing.
#   install-deps.sh             building and running the program, and the tests, benchmarks, fuzzing and sanitizer
#                               builds (make test, make bench, make fuzz, make check-sanitize)
#   install-deps.sh --program   only building and running the program (make run)
#   install-deps.sh --assets    everything, and what the asset generators need (make assets)
set -euo pipefail

# Building and running the program.
program_packages=(
  # toolchain
  build-essential cmake ninja-build pkg-config
  # libraries the program calls
  libboost-dev libxerces-c-dev libpng-dev libjpeg62-turbo-dev
  libogg-dev libvorbis-dev libtheora-dev libagg-dev
  # platform layer (libasound2-dev: the ALSA library SDL's audio opens); the font the program asks for by name
  # resolves to Liberation Sans
  libsdl2-dev libasound2-dev libx11-dev libfreetype-dev libfontconfig-dev libcups2-dev libcairo2-dev
  fonts-liberation
)
# What the tests, the benchmarks, fuzzing and the sanitizer builds add.
check_packages=(
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  # fuzz targets (libFuzzer comes with clang's runtime); zlib reads printed PDF pages back
  clang libclang-rt-14-dev zlib1g-dev
  # a second font face the font tests ask for
  fonts-dejavu-core
  # a private print scheduler for the tests, cups-filters' pdftopdf (in the chain of a test queue's driver), and
  # reading printed pages back
  cups-daemon cups-client cups-filters-core-drivers poppler-utils
  # a real X display for the tests that start the program and the presenter benchmark
  xvfb xdotool
)
# The praise clips' encoder is compiled with the toolchain, pkg-config and libtheora-dev listed above.
asset_packages=(
  python3 python3-cairo espeak-ng vorbis-tools sox
)

case "${1:-}" in
  --program) packages=("${program_packages[@]}") ;;
  --assets) packages=("${program_packages[@]}" "${check_packages[@]}" "${asset_packages[@]}") ;;
  "") packages=("${program_packages[@]}" "${check_packages[@]}") ;;
  *)
    echo "usage: $0 [--program | --assets]" >&2
    exit 2
    ;;
esac

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
