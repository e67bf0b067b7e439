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
  display=:$((200 + RANDOM % 100))
  Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
  export DISPLAY=$display
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
