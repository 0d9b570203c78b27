#!/usr/bin/env bash
# Starts RidoreVu under Xvfb (1024x768, 24 bit), waits for its window "VidiraZorod",
# writes a PNG of the screen and ends the program.
#   scripts/screenshot.sh [file.png]      (default: screenshot.png)
# Optional: KEYS="alt+f" sends keys (xdotool names) to the window before the picture is taken.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-screenshot.png}")
build="$top/build/release"
if [ ! -x "$build/RidoreVu" ]; then
  cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" -- --quiet
fi

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
program=
cleanup() {
  [ -n "$program" ] && kill "$program" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

QT_QPA_PLATFORM=xcb "$build/RidoreVu" >/dev/null 2>&1 &
program=$!
window=$(timeout 20 xdotool search --sync --name '^VidiraZorod$' | head -n 1)
sleep 1
if [ -n "${KEYS:-}" ]; then
  xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
  for k in $KEYS; do xdotool key --window "$window" "$k"; sleep 0.3; done
  sleep 0.5
fi
import -window root "$out"
echo "$out"
