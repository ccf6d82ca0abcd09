#!/usr/bin/env bash
# Builds the Windows build and starts the calculator under Wine
# (scripts/wine.sh; emulated where the machine cannot execute 32-bit code).
# With a display the window opens there; without one the program runs on a
# virtual display, a screenshot is saved (build/screenshots/main-window.png)
# and the program is closed again.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
root=$(cd "$(dirname "$0")/.." && pwd)
exe=$root/build/win32/app/ZorvikCalc.exe
shot=$root/build/screenshots/main-window.png

# The window's geometry (WIDTHxHEIGHT+X+Y) once it shows.
window_geometry() {
  xwininfo -root -tree 2>/dev/null | grep -F '"Zorvik素材计算工具"' |
    grep -oE '[0-9]+x[0-9]+\+-?[0-9]+\+-?[0-9]+' | head -n 1
}

# Inside scripts/win32-env.sh on a virtual display: start, screenshot, close.
screenshot_headless() {
  "$root/scripts/wine.sh" "$exe" &
  local program=$! geometry=
  for _ in $(seq 300); do
    geometry=$(window_geometry) && [ -n "$geometry" ] && break
    kill -0 "$program" 2>/dev/null || break
    sleep 0.2
  done
  if [ -z "$geometry" ]; then
    echo "run: the calculator's window did not appear" >&2
    return 1
  fi
  sleep 1 # let the window finish painting
  mkdir -p "$(dirname "$shot")"
  import -window root -crop "$geometry" "$shot"
  kill "$program" 2>/dev/null || true
  echo "run: no display here; the calculator ran on a virtual display ($DISPLAY)."
  echo "run: screenshot saved to $shot"
}

if [ "${1:-}" = --screenshot-inside ]; then
  screenshot_headless
  exit
fi

cd "$root"
scripts/install-deps.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target ZorvikCalc

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec scripts/wine.sh "$exe"
fi
exec scripts/win32-env.sh "$0" --screenshot-inside
