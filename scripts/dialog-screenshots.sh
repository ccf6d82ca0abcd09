#!/usr/bin/env bash
# Screenshots of the crash reporter's dialogs as a user sees them under Wine
# (Xvfb, Chinese locale), with English and with Chinese message texts:
# docs/screenshots/dialog-<simple|request|progress>-<en|zh>.png.
#
#   scripts/dialog-screenshots.sh
#
# Builds tests/dialogs' dialog_gallery, which opens one dialog with fixed
# options, reports the window's rectangle once it has shown, and closes it
# when told to; ImageMagick's import cuts the window out of the screen.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
root=$(cd "$(dirname "$0")/.." && pwd)
if [ "${VX_WINE_READY:-}" != 1 ]; then
  cmake --build --preset win32 --target dialog_gallery
  exec "$root/scripts/win32-env.sh" "$0" "$@"
fi

gallery="$root/build/win32/tests/dialogs/dialog_gallery.exe"
out="$root/docs/screenshots"
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for dialog in simple request progress; do
  for lang in en zh; do
    rm -f "$work/ready" "$work/done"
    "$root/scripts/wine.sh" "$gallery" "$dialog" "$lang" "Z:$work/ready" "Z:$work/done" &
    pid=$!
    for _ in $(seq 1500); do  # up to 5 minutes: qemu-user starts programs slowly
      [ -s "$work/ready" ] && break
      sleep 0.2
    done
    if [ ! -s "$work/ready" ]; then
      echo "dialog_gallery $dialog $lang did not show its dialog" >&2
      kill "$pid" 2>/dev/null || true
      exit 1
    fi
    read -r left top width height < "$work/ready"
    import -window root -crop "${width}x${height}+${left}+${top}" +repage "$out/dialog-$dialog-$lang.png"
    touch "$work/done"
    wait "$pid"
    echo "docs/screenshots/dialog-$dialog-$lang.png"
  done
done
