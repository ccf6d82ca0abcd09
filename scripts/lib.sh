# Shared by the scripts: failures that name themselves, the Wine environment,
# a display, and clean-up of what a script started. Every script sources it
# first; apart from the failure trap it defines functions and sets variables only.

# An unexpected failure (a command that fails where set -e ends the script)
# prints the script, the line and the command instead of ending silently.
# errtrace carries the trap into functions and command substitutions, so a
# failure inside one is named where it happened and again where it was used.
vx_report_failure() {
  local status=$1 command=$2 source=$3 line=$4 where i
  where="${source##*/}: line $line"
  # Inside a function: the lines that called it, innermost first.
  for ((i = 1; i < ${#FUNCNAME[@]} - 1; i++)); do
    where+=" in ${FUNCNAME[i]}, called from line ${BASH_LINENO[i]}"
  done
  echo "$where: '$command' failed with exit status $status" >&2
}
set -o errtrace
trap 'vx_report_failure $? "$BASH_COMMAND" "${BASH_SOURCE[0]:-$0}" "$LINENO"' ERR

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}
export WINEARCH=win32 WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="

vx_started_pids=()

# Wine runs 32-bit Windows programs only where the kernel executes 32-bit x86
# code; some virtual machines switch that off ("IA-32 emulation disabled"), and
# then Wine's loader fails with "Exec format error".
vx_can_run_win32() { /usr/lib/wine/wine --version >/dev/null 2>&1; }
# Where it does not, qemu-user (10.0 from bookworm-backports; Debian 12's own
# 7.2 never gets through wineboot) runs them, registered for i386 programs in
# a private user namespace only (kernels from 6.7 on give each user namespace
# its own binfmt_misc). A machine-wide registration would make every i386
# program on the machine run emulated, and make the check above lie.
vx_qemu=/usr/bin/qemu-i386
vx_binfmt_entry=':vx-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$vx_qemu"':FP'

vx_check_emulator() {
  if [ ! -x "$vx_qemu" ]; then
    echo "this machine cannot execute 32-bit x86 code and $vx_qemu is missing: run scripts/install-deps.sh" >&2
    exit 1
  fi
}

# Inside the private namespace: its own binfmt_misc, with qemu-i386 for i386 ELF.
vx_register_emulator() {
  if ! mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2>/dev/null ||
    ! printf '%s' "$vx_binfmt_entry" >/proc/sys/fs/binfmt_misc/register 2>/dev/null; then
    echo "cannot register $vx_qemu in a private namespace (this needs a kernel of 6.7 or later with user namespaces)" >&2
    exit 1
  fi
  if ! vx_can_run_win32; then
    echo "Wine does not start under $vx_qemu" >&2
    exit 1
  fi
}

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
