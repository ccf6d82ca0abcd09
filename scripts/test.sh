#!/usr/bin/env bash
# Builds both builds and runs every test: the host build's tests and bounded
# fuzz runs natively, then the Windows build's tests under Wine
# (scripts/win32-env.sh: emulated where the machine cannot execute 32-bit
# code, with a virtual display when there is none). Exits non-zero when
# anything fails or the Windows tests cannot run. Each step's wall time is
# printed at its end and summed up at the end of the run.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

timings=()
# step NAME COMMAND...: runs the command, notes its wall time and returns
# its exit status.
step() {
  local name=$1 started=$SECONDS status=0
  shift
  "$@" || status=$?
  timings+=("$(printf '%-22s %5d s' "$name" $((SECONDS - started)))")
  echo "test: $name took $((SECONDS - started)) s"
  return "$status"
}

step install scripts/install-deps.sh
step "host build" eval 'cmake --preset host >/dev/null && cmake --build --preset host'
step "win32 build" eval 'cmake --preset win32 >/dev/null && cmake --build --preset win32'
# Fuzzers (clang, sanitizers): only their targets, for short bounded runs.
step "fuzzers build" eval 'cmake --preset host-asan >/dev/null && cmake --build --preset host-asan --target fuzzers'

# The host tests and the fuzzers are independent processes: one per core.
# The Windows tests share one wineserver and, under emulation, each needs a
# core of its own; they run one at a time.
jobs=$(nproc)
status=0
step "host tests" ctest --preset host -j "$jobs" || status=$?
echo
step "fuzz runs" ctest --preset host-asan -L fuzz -j "$jobs" || status=$?
echo
step "windows tests" scripts/win32-env.sh ctest --preset win32 || status=$?
printf 'test: %s\n' "${timings[@]}" "$(printf '%-22s %5d s' total "$SECONDS")"
exit "$status"
