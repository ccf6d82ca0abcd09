#!/usr/bin/env bash
# The installed package as another project meets it: the Windows and host
# builds installed into a fresh prefix; examples/hello-crash, a project of its
# own, configured against that prefix with the mingw-w64 toolchain, built, and
# run under Wine with its button pressed. Its report must name its own
# function, source file and line.
#
#   package_test.sh WIN32_BUILD_DIR HOST_BUILD_DIR
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
root=$(cd "$(dirname "$0")/../.." && pwd)
win32_build=$1 host_build=$2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$win32_build" --prefix "$prefix" >/dev/null
cmake --install "$host_build" --prefix "$prefix" >/dev/null
test -x "$prefix/bin/tarvex" || { echo "package test: the host tool was not installed" >&2; exit 1; }

cmake -S "$root/examples/hello-crash" -B "$work/build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-mingw.cmake" \
  -DTarvexLog_DIR="$prefix/lib/cmake/TarvexLog" >"$work/configure.log" ||
  { cat "$work/configure.log" >&2; echo "package test: the example did not configure" >&2; exit 1; }
cmake --build "$work/build" >"$work/build.log" ||
  { cat "$work/build.log" >&2; echo "package test: the example did not build" >&2; exit 1; }

# The reporter ends the program after the report (taTerminate): any exit code.
"$root/scripts/wine.sh" "$work/build/hello_crash.exe" --press || true
log=$work/build/hello_crash.elf
test -s "$log" || { echo "package test: no report in $log" >&2; exit 1; }
report=$("$prefix/bin/tarvex" log "$log" --show 1)

status=0
for expected in "hello_crash.cpp" "WriteGreeting"; do
  if ! grep -qF "$expected" <<<"$report"; then
    echo "package test: the report does not name $expected" >&2
    status=1
  fi
done
# The raising line: "hello_crash.cpp" and the line of the strcpy in one row.
line=$(grep -n 'std::strcpy(where' "$root/examples/hello-crash/hello_crash.cpp" | cut -d: -f1)
if ! grep -F "hello_crash.cpp" <<<"$report" | grep -q "\b$line\b"; then
  echo "package test: no row names hello_crash.cpp line $line" >&2
  status=1
fi
[ "$status" = 0 ] || { echo "$report" >&2; exit 1; }
echo "package test: hello_crash's report names WriteGreeting, hello_crash.cpp and line $line"
