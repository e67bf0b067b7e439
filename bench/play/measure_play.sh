#!/usr/bin/env bash
# Plays the maze the way a pupil does, under a virtual X display: the mouse is held down and drawn along the
# solution from the hero's cell to the far bank while the hero walks it. Prints the whole process's share of one
# core and its resident memory over that time.
#   bench/play/measure_play.sh [executable] [screen WxH]
# Needs Xvfb and xdotool (Debian: xvfb xdotool). With SHOT=file.png set, the screen at the end is saved there
# (needs ImageMagick's import).
set -euo pipefail
exe=${1:-build/app/maze-exercise}
screen=${2:-1024x768}
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "needs $tool (apt-get install xvfb xdotool)"; exit 2; }
done
# Xvfb picks a free display number itself and writes it to the pipe.
exec {fd}< <(Xvfb -displayfd 1 -screen 0 "${screen}x${DEPTH:-24}" -nolisten tcp 2>/dev/null & echo "pid $!")
read -r _ xvfb <&"$fd"
read -r -t 10 number <&"$fd" || { echo "Xvfb did not start"; exit 2; }
display=:$number
app=
# The program first, and only once it is gone the display: a program whose display vanishes under it may not end.
cleanup() {
  if [ -n "$app" ]; then
    kill "$app" 2>/dev/null || true
    for _ in $(seq 30); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$app" 2>/dev/null || true
  fi
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=$display
SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} "$exe" >/dev/null 2>&1 &
app=$!
ticks() { awk '{ print $14 + $15 }' "/proc/$app/stat"; }
rss_kb() { awk '/^VmRSS/ { print $2 }' "/proc/$app/status"; }
hz=$(getconf CLK_TCK)
# The window is up, then a moment for its first frames.
for _ in $(seq 100); do xdotool search --onlyvisible --pid "$app" >/dev/null 2>&1 && break; sleep 0.1; done
startup_ticks=$(ticks)
sleep 1

# The 800 x 600 client fills the screen's height or width, centred; the maze field's 20-pixel cells start at
# (200, 100) of the client.
w=${screen%x*}
h=${screen#*x}
path="9,0 9,1 8,1 7,1 6,1 5,1 5,2 5,3 5,4 5,5 4,5 3,5 3,6 3,7 3,8 4,8 5,8 6,8 7,8 8,8 9,8 10,8 11,8 11,7 11,6
11,5 11,4 12,4 13,4 14,4 15,4 16,4 16,5 16,6 17,6 18,6 18,7 18,8 18,9 18,10 18,11 17,11 16,11 15,11 14,11 13,11
13,12 13,13 13,14 12,14 11,14 10,14 9,14 8,14 8,13 7,13 6,13 5,13 5,14 5,15 5,16 5,17 6,17 7,17 8,17 9,17 9,18 9,19"
to_screen() {
  awk -v w="$w" -v h="$h" -v cx="$1" -v cy="$2" 'BEGIN {
    s = w / 800 < h / 600 ? w / 800 : h / 600
    ox = int((w - int(800 * s)) / 2); oy = int((h - int(600 * s)) / 2)
    printf "%d %d\n", ox + (200 + cx * 20 + 10) * s, oy + (100 + cy * 20 + 10) * s }'
}
read -r x y < <(to_screen 9 0)
xdotool mousemove "$x" "$y"
sleep 0.3
xdotool mousedown 1
start_ticks=$(ticks)
start_ns=$(date +%s%N)
peak=0
for cell in $path; do
  read -r x y < <(to_screen "${cell%,*}" "${cell#*,}")
  xdotool mousemove "$x" "$y"
  sleep 0.25
  r=$(rss_kb)
  [ "$r" -gt "$peak" ] && peak=$r
done
# Holding the button while the hero walks the rest of the path.
for _ in $(seq 20); do
  sleep 0.25
  r=$(rss_kb)
  [ "$r" -gt "$peak" ] && peak=$r
done
end_ticks=$(ticks)
end_ns=$(date +%s%N)
[ -n "${SHOT:-}" ] && import -window root "$SHOT"
xdotool mouseup 1
threads=$(awk '/^Threads/ { print $2 }' "/proc/$app/status")
awk -v t="$startup_ticks" -v hz="$hz" 'BEGIN { printf "start-up: cpu %.0f ms until the window showed\n", 1000 * t / hz }'
awk -v t=$((end_ticks - start_ticks)) -v hz="$hz" -v ns=$((end_ns - start_ns)) -v peak="$peak" -v th="$threads" \
  'BEGIN { printf "play: cpu %.1f %% of one core over %.1f s, resident peak %.1f MB, threads %d\n",
           100 * t / hz / (ns / 1e9), ns / 1e9, peak / 1024, th }'
