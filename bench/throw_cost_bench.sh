#!/usr/bin/env bash
# The cost of a caught C++ exception with the crash reporter against without
# it: runs throw_cost_bench_plain.exe and throw_cost_bench_win.exe of the
# Windows build under Wine and prints each row's times and their ratio.
#
#   bench/throw_cost_bench.sh [BUILD_DIR]     (default: build/win32)
set -euo pipefail
source "$(dirname "$0")/../scripts/lib.sh"
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/win32}

if [ -z "${VX_WINE_READY:-}" ]; then
  exec "$root/scripts/win32-env.sh" "$0" "$build"
fi
without=$("$root/scripts/wine.sh" "$build/bench/throw_cost_bench_plain.exe" | tr -d '\r')
with=$("$root/scripts/wine.sh" "$build/bench/throw_cost_bench_win.exe" | tr -d '\r')
printf '%-52s %12s %12s %7s\n' "row" "without" "with" "ratio"
paste -d'|' <(echo "$without") <(echo "$with") | while IFS='|' read -r plain carried; do
  name=$(echo "$plain" | sed -E 's/ +[0-9]+ ns$//')
  a=$(echo "$plain" | grep -oE '[0-9]+ ns$' | cut -d' ' -f1)
  b=$(echo "$carried" | grep -oE '[0-9]+ ns$' | cut -d' ' -f1)
  awk -v name="$name" -v a="$a" -v b="$b" 'BEGIN { printf "%-52s %9s ns %9s ns %6.2fx\n", name, a, b, b / a }'
done
