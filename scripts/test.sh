#!/usr/bin/env bash
# Builds both builds and runs every test: the host build's tests and bounded
# fuzz runs natively, then the Windows build's tests under Wine
# (scripts/win32-env.sh: emulated where the machine cannot execute 32-bit
# code, with a virtual display when there is none). Exits non-zero when
# anything fails or the Windows tests cannot run.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/install-deps.sh

cmake --preset host >/dev/null
cmake --build --preset host
cmake --preset win32 >/dev/null
cmake --build --preset win32
# Fuzzers (clang, sanitizers): only their targets, for short bounded runs.
cmake --preset host-asan >/dev/null
cmake --build --preset host-asan --target fuzzers

status=0
ctest --preset host || status=$?
echo
ctest --preset host-asan -L fuzz || status=$?
echo
scripts/win32-env.sh ctest --preset win32 || status=$?
exit "$status"
