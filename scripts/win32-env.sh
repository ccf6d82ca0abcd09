#!/usr/bin/env bash
# Runs COMMAND with the Windows build's environment ready: a 32-bit Wine that
# can start (natively, or through qemu-user where the kernel cannot execute
# 32-bit code), the build tree's prefix, a display, and one persistent, warmed
# wineserver. Everything it starts ends with it; COMMAND's exit code is its own.
#
#   scripts/win32-env.sh COMMAND [ARGS...]
#
# Where 32-bit code cannot run, the command runs in a private user, mount and
# PID namespace in which qemu-i386 is registered for i386 programs. Nothing
# outside sees that registration, and every process started inside (Xvfb,
# wineserver, Wine's services) ends when the namespace's first process does.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

if [ $# -eq 0 ]; then
  echo "usage: $0 COMMAND [ARGS...]" >&2
  exit 2
fi

if [ -z "${VX_WIN32_MODE:-}" ]; then
  if vx_can_run_win32; then
    export VX_WIN32_MODE=native
  else
    vx_check_emulator
    export VX_WIN32_MODE=emulated
    exec unshare --user --map-root-user --mount --pid --fork --mount-proc \
      -- bash "$0" "$@"
  fi
fi
if [ "$VX_WIN32_MODE" = emulated ] && ! vx_can_run_win32; then
  vx_register_emulator
fi

trap vx_cleanup EXIT
vx_ensure_display
vx_start_wineserver
export VX_WINE_READY=1
status=0
"$@" || status=$?
exit "$status"
