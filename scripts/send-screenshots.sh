#!/usr/bin/env bash
# Pictures of sending a report for the documentation: the end-to-end send
# test (calc_send_e2e) run with VX_PICTURES, whose failed send leaves the
# progress window behind the error box, the error box and the result box as
# BMP files; ImageMagick turns them into docs/screenshots/send-*.png.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/docs/screenshots

cd "$root"
cmake --preset win32 >/dev/null
cmake --build --preset win32
pictures=$(mktemp -d)
trap 'rm -rf "$pictures"' EXIT
VX_PICTURES="Z:${pictures//\//\\}" scripts/win32-env.sh ctest --preset win32 -R '^calc_send_e2e$' --output-on-failure
for picture in "$pictures"/send-*.bmp; do
  [ -e "$picture" ] || { echo "send-screenshots: the test left no pictures in $pictures" >&2; exit 1; }
  name=$(basename "$picture" .bmp)
  convert "$picture" "$out/$name.png"
  echo "send-screenshots: $out/$name.png"
done
