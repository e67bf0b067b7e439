#!/usr/bin/env bash
# Runs every benchmark executable of the build folder given as the first argument. Each prints its medians and
# "ratio <name> <value>" lines. Benchmarks that need a display get a virtual one when Xvfb is installed and no
# display is set; without one the presenter benchmark skips its window cases and the start-up benchmark fails.
# Ends non-zero when any benchmark failed. Arguments after the build folder go to every benchmark
# (e.g. --benchmark_repetitions=3).
set -euo pipefail
build=${1:-build}
shift || true
export SDL_AUDIODRIVER=dummy
xvfb=
cleanup() { [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true; }
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ] && command -v Xvfb >/dev/null; then
  # Xvfb picks a free display number itself and writes it to the pipe. Its screen starts black (-br): the start-up
  # benchmark takes the first pixel that is not black as the first frame shown.
  exec {fd}< <(Xvfb -displayfd 1 -br -screen 0 1920x1080x24 -nolisten tcp 2>/dev/null & echo "pid $!")
  read -r _ xvfb <&"$fd"
  if read -r -t 10 number <&"$fd"; then
    export DISPLAY=:$number
  fi
fi
found=0
failed=()
while IFS= read -r exe; do
  found=1
  name=$(basename "$exe")
  echo "== $name"
  status=0
  case $name in
    # The program starts as a user starts it: SDL picks the display the environment names.
    bench_startup) env -u SDL_VIDEODRIVER "$exe" "$@" </dev/null || status=$? ;;
    bench_present) SDL_VIDEODRIVER=$([ -n "${DISPLAY:-}" ] && echo x11 || echo dummy) "$exe" "$@" </dev/null || status=$? ;;
    *) SDL_VIDEODRIVER=dummy "$exe" "$@" </dev/null || status=$? ;;
  esac
  [ "$status" = 0 ] || failed+=("$name")
done < <(find "$build/bench" -type f -executable -name 'bench_*' | sort)
[ "$found" = 1 ] || { echo "no benchmarks built"; exit 1; }
if [ "${#failed[@]}" -gt 0 ]; then
  echo "failed: ${failed[*]}"
  exit 1
fi
