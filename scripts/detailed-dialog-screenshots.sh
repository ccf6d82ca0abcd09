#!/usr/bin/env bash
# Screenshots of the detailed exception dialog under Wine on a virtual
# display, from the calculator's own failure: "12a" as a Shape, then the
# details link. tests/e2e/detailed_dialog_tour.cpp drives the calculator and
# saves the dialog on each page and collapsed; ImageMagick turns the pictures
# into docs/screenshots/detailed-*.png.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
root=$(cd "$(dirname "$0")/.." && pwd)
exe=$root/build/win32/tests/e2e/detailed_dialog_tour.exe
out=$root/docs/screenshots

if [ "${1:-}" = --inside ]; then
  pictures=$(mktemp -d)
  trap 'rm -rf "$pictures"' EXIT
  "$root/scripts/wine.sh" "$exe" "Z:$pictures"
  for picture in "$pictures"/detailed-*.bmp; do
    name=$(basename "$picture" .bmp)
    convert "$picture" "$out/$name.png"
    echo "screenshots: $out/$name.png"
  done
  exit
fi

cd "$root"
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target detailed_dialog_tour
exec scripts/win32-env.sh "$0" --inside
