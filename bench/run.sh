#!/usr/bin/env bash
# Runs every benchmark executable of the build folder given as the first argument. Each prints its medians and
# "ratio <name> <value>" lines. Benchmarks that need a display get a virtual one when Xvfb is installed and no
# display is set; without one they skip those cases.
set -euo pipefail
build=${1:-build}
export SDL_AUDIODRIVER=dummy
xvfb=
cleanup() { [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true; }
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ] && command -v Xvfb >/dev/null; then
  # Xvfb picks a free display number itself and writes it to the pipe.
  exec {fd}< <(Xvfb -displayfd 1 -screen 0 1920x1080x24 -nolisten tcp 2>/dev/null & echo "pid $!")
  read -r _ xvfb <&"$fd"
  if read -r -t 10 number <&"$fd"; then
    export DISPLAY=:$number
  fi
fi
found=0
while IFS= read -r exe; do
  found=1
  echo "== $(basename "$exe")"
  if [ "$(basename "$exe")" = bench_present ] && [ -n "${DISPLAY:-}" ]; then
    SDL_VIDEODRIVER=x11 "$exe"
  else
    SDL_VIDEODRIVER=dummy "$exe"
  fi
done < <(find "$build/bench" -type f -executable -name 'bench_*' | sort)
[ "$found" = 1 ] || echo "no benchmarks built"
