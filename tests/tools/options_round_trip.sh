#!/usr/bin/env bash
# options_round_trip.sh TARVEX OPTIONS WORK [MODULE]
# The shipped options file survives file -> stream -> container -> dump
# unchanged (comments and blank lines aside), and the tool's errors exit non-zero.
# With MODULE (a module the build embedded OPTIONS into): its dump gives the file
# (exit 77, skipped, when MODULE does not exist).
set -euo pipefail
tarvex=$1 options=$2 work=$3 built=${4:-}
rm -rf "$work" && mkdir -p "$work"
strip() { grep -v -e '^#' -e '^;' -e '^[[:space:]]*$' "$@"; }
if [ -n "$built" ]; then
  [ -f "$built" ] || { echo "no such module: $built"; exit 77; }
  "$tarvex" options dump "$built" >"$work/built.options"
  diff <(strip "$options") <(strip "$work/built.options")
  exit 0
fi
printf 'MZ stand-in module\n' >"$work/module.exe"

"$tarvex" embed "$work/module.exe" --options "$options"
"$tarvex" embed "$work/module.exe" --options "$options"   # replaces, does not stack
"$tarvex" options dump "$work/module.exe" >"$work/dump.options"
diff <(strip "$options") <(strip "$work/dump.options")

"$tarvex" options encode "$options" "$work/stream.bin"
"$tarvex" options decode "$work/stream.bin" >"$work/decoded.options"
diff <(strip "$options") <(strip "$work/decoded.options")
echo "option stream: $(stat -c %s "$work/stream.bin") bytes, module data: $(( $(stat -c %s "$work/module.exe") - 19 )) bytes"

if "$tarvex" options dump "$options" 2>/dev/null; then echo "dump of a plain file must fail"; exit 1; fi
printf 'Unknown = 1\n' >"$work/bad.options"
if "$tarvex" embed "$work/module.exe" --options "$work/bad.options" 2>"$work/err"; then exit 1; fi
grep -q 'bad.options:1: unknown option' "$work/err"
