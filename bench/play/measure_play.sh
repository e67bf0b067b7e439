#!/usr/bin/env bash
# Plays the exercise the way a pupil does, under a virtual X display, and prints the whole process's share of one
# core, its resident memory (peak of samples) and its thread count in three phases: the start screen idle, the hero
# walking (the mouse held down and drawn along the solution from the hero's cell to the far bank, then held until
# he arrives) and the praise. Between them it types a name, skips the instruction (Esc) and leaves the
# keyboard-and-mouse page (Space); screenshots prove that the maze was shown and that the hero moved, or the run
# fails.
#   bench/play/measure_play.sh [executable] [screen WxH]
# Needs Xvfb and xdotool (Debian: xvfb xdotool) and screen_probe, built beside the program's build
# (build/bench/play/screen_probe with -DMAZE_BUILD_BENCH=ON; PROBE=path to choose another). The screenshots go to
# SHOTS (default: a folder in /tmp, printed at the end).
set -euo pipefail
exe=${1:-build/app/maze-exercise}
screen=${2:-1024x768}
probe=${PROBE:-$(dirname "$exe")/../bench/play/screen_probe}
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "needs $tool (apt-get install xvfb xdotool)"; exit 2; }
done
[ -x "$probe" ] || { echo "needs $probe (configure with -DMAZE_BUILD_BENCH=ON and build screen_probe)"; exit 2; }
shots=${SHOTS:-$(mktemp -d /tmp/measure-play-XXXXXX)}
mkdir -p "$shots"
# Xvfb picks a free display number itself and writes it to the pipe.
exec {fd}< <(Xvfb -displayfd 1 -screen 0 "${screen}x${DEPTH:-24}" -nolisten tcp 2>/dev/null & echo "pid $!")
read -r _ xvfb <&"$fd"
read -r -t 10 number <&"$fd" || { echo "Xvfb did not start"; exit 2; }
data=$(mktemp -d /tmp/measure-play-data-XXXXXX)
app=
# The program first, and only once it is gone the display: a program whose display vanishes under it may not end.
cleanup() {
  if [ -n "$app" ]; then
    kill "$app" 2>/dev/null || true
    for _ in $(seq 30); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$app" 2>/dev/null || true
  fi
  kill "$xvfb" 2>/dev/null || true
  rm -rf "$data"
}
trap cleanup EXIT
export DISPLAY=:$number
# The pupil's record goes to a folder of this run, never the user's.
XDG_DATA_HOME=$data SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} "$exe" >"$shots/program-output.txt" 2>&1 &
app=$!
fail() {
  echo "measure_play: $*" >&2
  echo "screenshots: $shots" >&2
  exit 1
}

hz=$(getconf CLK_TCK)
ticks() { awk '{ print $14 + $15 }' "/proc/$app/stat"; }
# One phase: CPU ticks and wall time from its start; resident memory and threads sampled along it.
phase_begin() {
  phase_ticks=$(ticks)
  phase_ns=$(date +%s%N)
  phase_rss=0
  phase_threads=0
}
sample() {
  kill -0 "$app" 2>/dev/null || fail "the program ended"
  local rss threads
  rss=$(awk '/^VmRSS/ { print $2 }' "/proc/$app/status")
  threads=$(awk '/^Threads/ { print $2 }' "/proc/$app/status")
  [ "$rss" -gt "$phase_rss" ] && phase_rss=$rss
  [ "$threads" -gt "$phase_threads" ] && phase_threads=$threads
  return 0
}
phase_end() {
  sample
  awk -v name="$1" -v t=$(($(ticks) - phase_ticks)) -v hz="$hz" -v ns=$(($(date +%s%N) - phase_ns)) \
    -v rss="$phase_rss" -v th="$phase_threads" \
    'BEGIN { printf "%-20s cpu %5.1f %% of one core over %4.1f s, resident peak %5.1f MB, threads %d\n",
             name ":", 100 * t / hz / (ns / 1e9), ns / 1e9, rss / 1024, th }'
}

for _ in $(seq 100); do xdotool search --onlyvisible --pid "$app" >/dev/null 2>&1 && break; sleep 0.1; done
xdotool search --onlyvisible --pid "$app" >/dev/null 2>&1 || fail "no window within ten seconds"
sleep 1

phase_begin
for _ in $(seq 20); do sleep 0.25; sample; done
phase_end "start screen idle"

# The name field has the focus on the start screen.
xdotool type --delay 40 Masha
xdotool key Return
sleep 1
xdotool key Escape
sleep 1
xdotool key space
maze=
for _ in $(seq 20); do
  sleep 0.25
  if "$probe" maze "$shots/maze.png" >"$shots/probe-maze.txt"; then maze=1; break; fi
done
[ -n "$maze" ] || fail "the maze was not shown ($(cat "$shots/probe-maze.txt"))"
echo "maze shown: $(cat "$shots/probe-maze.txt")"

path="9,0 9,1 8,1 7,1 6,1 5,1 5,2 5,3 5,4 5,5 4,5 3,5 3,6 3,7 3,8 4,8 5,8 6,8 7,8 8,8 9,8 10,8 11,8 11,7 11,6
11,5 11,4 12,4 13,4 14,4 15,4 16,4 16,5 16,6 17,6 18,6 18,7 18,8 18,9 18,10 18,11 17,11 16,11 15,11 14,11 13,11
13,12 13,13 13,14 12,14 11,14 10,14 9,14 8,14 8,13 7,13 6,13 5,13 5,14 5,15 5,16 5,17 6,17 7,17 8,17 9,17 9,18 9,19"
# shellcheck disable=SC2086
xdotool mousemove $("$probe" cell 9 0)
sleep 0.3
xdotool mousedown 1
phase_begin
for cell in $path; do
  # shellcheck disable=SC2086
  xdotool mousemove $("$probe" cell "${cell%,*}" "${cell#*,}")
  sleep 0.2
  sample
done
# The whole path is drawn and the mouse rests: what changes now is the hero.
"$probe" moves 700 "$shots/walking.png" >"$shots/probe-moves.txt" || fail "the hero did not move ($(cat "$shots/probe-moves.txt"))"
echo "hero walking: $(cat "$shots/probe-moves.txt")"
praise=
for _ in $(seq 240); do
  sample
  if "$probe" praise >/dev/null; then praise=1; break; fi
  sleep 0.25
done
phase_end "hero walking"
[ -n "$praise" ] || fail "no praise within a minute of walking"
xdotool mouseup 1

phase_begin
"$probe" praise "$shots/praise.png" >/dev/null || true
for _ in $(seq 60); do
  "$probe" praise >/dev/null || break
  sample
  sleep 0.25
done
phase_end "praise"
echo "screenshots: $shots"
