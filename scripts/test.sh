#!/usr/bin/env bash
# Builds both builds and runs every test: the host build's tests natively,
# then the Windows build's tests under Wine (with a virtual display and the
# loopback servers the tests talk to). Exits non-zero when anything fails.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cd "$root"

"$root/scripts/install-deps.sh"

cmake --preset host >/dev/null
cmake --build --preset host
cmake --preset win32 >/dev/null
cmake --build --preset win32
# Fuzzers (clang, sanitizers): only their targets, for short bounded runs.
cmake --preset host-asan >/dev/null
cmake --build --preset host-asan --target fuzzers

trap vx_cleanup EXIT
host_status=0
ctest --preset host || host_status=$?
echo
ctest --preset host-asan -L fuzz || host_status=$?
echo

if ! vx_can_run_win32; then
  # The Windows build was compiled and linked above; only running it is impossible here.
  echo "======================================================================"
  echo "test: WINDOWS TESTS NOT RUN: $vx_no_win32_reason."
  echo "test: the Windows build's programs and tests were built and linked, not run."
  echo "======================================================================"
  exit "$host_status"
fi
vx_ensure_display
vx_start_wineserver
ctest --preset win32
exit "$host_status"
