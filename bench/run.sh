#!/usr/bin/env bash
# Runs every benchmark executable of the build folder given as the first argument.
set -euo pipefail
build=${1:-build}
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
found=0
while IFS= read -r exe; do
  found=1
  echo "== $(basename "$exe")"
  "$exe"
done < <(find "$build/bench" -type f -executable -name 'bench_*' | sort)
[ "$found" = 1 ] || echo "no benchmarks built"
