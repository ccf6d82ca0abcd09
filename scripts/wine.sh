#!/usr/bin/env bash
# Runs a Windows program of this project under Wine on any machine, with the
# build tree's prefix, a display and a warmed wineserver (scripts/win32-env.sh),
# in the Chinese locale the program is made for (ANSI code page 936).
# The program's exit code is passed through.
#
#   scripts/wine.sh PROGRAM.exe [ARGS...]
#
# ctest runs every Windows test through this script.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
here=$(cd "$(dirname "$0")" && pwd)
if [ $# -eq 0 ]; then
  echo "usage: $0 PROGRAM.exe [ARGS...]" >&2
  exit 2
fi
if [ "${VX_WINE_READY:-}" != 1 ]; then
  exec "$here/win32-env.sh" "$here/wine.sh" "$@"
fi
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
exec wine "$@"
