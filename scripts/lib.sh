# Shared by the scripts: Wine environment, a display, and clean-up of what
# a script started. Source it; it defines functions and sets variables only.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}
export WINEARCH=win32 WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="

vx_started_pids=()

# Wine runs 32-bit Windows programs only where the kernel executes 32-bit x86
# code; some virtual machines switch that off ("IA-32 emulation disabled"), and
# then Wine's loader fails with "Exec format error".
vx_can_run_win32() { /usr/lib/wine/wine --version >/dev/null 2>&1; }

vx_no_win32_reason="this machine cannot execute 32-bit x86 code (the kernel's IA-32 emulation is off), so Wine cannot start"

# Keeps one wineserver alive for the prefix and warms it: without this every
# Windows test waits seconds for Wine's services to let go of ctest's pipe.
vx_start_wineserver() {
  "$root/scripts/wine-prefix.sh"
  wineserver -p </dev/null >/dev/null 2>&1 || true
  LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 wine wineboot </dev/null >/dev/null 2>&1 || true
}

vx_stop_wineserver() { wineserver -k >/dev/null 2>&1 || true; }

# Starts Xvfb on a free display when there is no display.
vx_ensure_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return; fi
  local n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  vx_started_pids+=($!)
  export DISPLAY=":$n"
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return; sleep 0.1; done
  echo "could not start Xvfb on $DISPLAY" >&2
  return 1
}

vx_cleanup() {
  vx_stop_wineserver
  local pid
  for pid in "${vx_started_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${vx_started_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
}
