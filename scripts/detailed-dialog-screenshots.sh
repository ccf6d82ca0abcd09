#!/usr/bin/env bash
# Screenshots of the detailed exception dialog under Wine on a virtual
# display: collapsed, and expanded on each page, with English and Chinese
# texts, and once in the flat look. Builds the demo program
# (tests/dialogs/detailed_dialog_demo.cpp) and writes
# docs/screenshots/detailed-*.png.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
root=$(cd "$(dirname "$0")/.." && pwd)
exe=$root/build/win32/tests/dialogs/detailed_dialog_demo.exe
out=$root/docs/screenshots

# name | demo arguments | the caption the window shows
shots=(
  "detailed-collapsed||Error occurred"
  "detailed-general|--expanded --page 0|Error occurred"
  "detailed-callstack|--expanded --page 1|Error occurred"
  "detailed-modules|--expanded --page 2|Error occurred"
  "detailed-processes|--expanded --page 3|Error occurred"
  "detailed-assembler|--expanded --page 4|Error occurred"
  "detailed-cpu|--expanded --page 5|Error occurred"
  "detailed-collapsed-zh|--chinese|发生错误"
  "detailed-callstack-zh|--expanded --page 1 --chinese|发生错误"
  "detailed-flat|--expanded --page 1 --flat|Error occurred"
)

# The geometry (WIDTHxHEIGHT+X+Y) of the window with this caption once it shows.
window_geometry() {
  xwininfo -root -tree 2>/dev/null | grep -F "\"$1\"" |
    grep -oE '[0-9]+x[0-9]+\+-?[0-9]+\+-?[0-9]+' | head -n 1
}

shoot() {
  local name=$1 arguments=$2 caption=$3 geometry=
  # The dialog closes itself (its auto-close timer) after the screenshot.
  # shellcheck disable=SC2086 # the arguments are words
  "$root/scripts/wine.sh" "$exe" $arguments --close-after 15 &
  local program=$!
  for _ in $(seq 600); do
    geometry=$(window_geometry "$caption") && [ -n "$geometry" ] && break
    kill -0 "$program" 2>/dev/null || break
    sleep 0.2
  done
  if [ -z "$geometry" ]; then
    echo "screenshots: the dialog for $name did not appear" >&2
    kill "$program" 2>/dev/null || true
    return 1
  fi
  sleep 2 # let the dialog take its place and finish painting
  geometry=$(window_geometry "$caption")
  import -window root -crop "$geometry" +repage "$out/$name.png"
  wait "$program" || true
  echo "screenshots: $out/$name.png"
}

if [ "${1:-}" = --inside ]; then
  mkdir -p "$out"
  for shot in "${shots[@]}"; do
    IFS='|' read -r name arguments caption <<<"$shot"
    shoot "$name" "$arguments" "$caption"
  done
  exit
fi

cd "$root"
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target detailed_dialog_demo
exec scripts/win32-env.sh "$0" --inside
