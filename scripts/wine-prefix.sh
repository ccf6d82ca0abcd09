#!/usr/bin/env bash
# Creates the 32-bit Wine prefix the Windows build runs in (idempotent).
# The prefix lives in the build tree: build/wineprefix, or $WINEPREFIX.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build/wineprefix}
export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
stamp=$WINEPREFIX/.vx-ready
version=2  # raise when this script changes what it sets up; older prefixes are then updated
[ "$(cat "$stamp" 2>/dev/null)" = "$version" ] && exit 0

echo "wine-prefix: creating $WINEPREFIX" >&2
# A persistent wineserver left running for this prefix (see scripts/lib.sh)
# would keep "wineserver -w" below waiting for ever: end it first.
wineserver -k >/dev/null 2>&1 || true
mkdir -p "$WINEPREFIX"
wineboot -i </dev/null >/dev/null 2>&1
wineserver -w

# Debian's Wine does not load its own fonts folder: without these, caption
# buttons and Tahoma fall back to wrong glyphs.
cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
# Chinese text in Tahoma: Wine links Tahoma to SimSun ("SIMSUN.TTC,SimSun")
# for the characters it lacks. A file of that name holding the CJK font, plus
# SimSun as a replacement name of that font, makes the link find it.
ln -sf /usr/share/fonts/truetype/wqy/wqy-microhei.ttc "$WINEPREFIX/drive_c/windows/Fonts/simsun.ttc"

reg=$(mktemp --suffix=.reg)
cat >"$reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"SimSun"="WenQuanYi Micro Hei"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000
REG
wine regedit /S "$reg" </dev/null >/dev/null 2>&1
rm -f "$reg"
wineserver -w
echo "$version" >"$stamp"
echo "wine-prefix: ready" >&2
