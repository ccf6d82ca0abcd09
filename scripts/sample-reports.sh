#!/usr/bin/env bash
# Writes one real bug report per crash lab failure kind: runs crashlab.exe
# under Wine for each kind it lists and keeps the report it prints (the
# lines between its begin and end markers, CR LF as composed) as
# OUTDIR/<kind>.txt. The Windows test run calls it (ctest test
# crashlab_sample_reports); by hand:
#
#   scripts/sample-reports.sh build/win32/tools/crashlab.exe build/win32/docs/sample-reports
set -euo pipefail
source "$(dirname "$0")/lib.sh"
here=$(cd "$(dirname "$0")" && pwd)
if [ $# -ne 2 ]; then
  echo "usage: $0 CRASHLAB.exe OUTDIR" >&2
  exit 2
fi
crashlab=$1 outdir=$2
mkdir -p "$outdir"
kinds=$("$here/wine.sh" "$crashlab" --list | tr -d '\r')
[ -n "$kinds" ] || { echo "crashlab lists no kinds" >&2; exit 1; }
for kind in $kinds; do
  # The failing program ends with exit code 1; its report is what counts.
  "$here/wine.sh" "$crashlab" "$kind" >"$outdir/$kind.out" 2>/dev/null || true
  awk '/^----- END BUG REPORT -----/ { inside = 0 } inside { print } /^----- BEGIN BUG REPORT -----/ { inside = 1 }' \
    ORS='\n' "$outdir/$kind.out" >"$outdir/$kind.txt"
  rm -f "$outdir/$kind.out"
  if ! grep -q '^TarvexLog ' "$outdir/$kind.txt"; then
    echo "no report for $kind" >&2
    exit 1
  fi
  echo "$outdir/$kind.txt"
done
