#!/usr/bin/env bash
# `make bench`: the benchmarks, natively (optimised) and under Wine. Each
# program prints its own table.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"

scripts/deps.sh
cmake --preset bench >/dev/null
cmake --preset win >/dev/null
benches=$(cd tests/bench && ls *_bench.cpp 2>/dev/null | sed 's/\.cpp$//')
native_targets=$(echo "$benches" | grep -v '^editor_' || true)
# shellcheck disable=SC2086
[ -n "$native_targets" ] && cmake --build --preset bench --target $native_targets
# shellcheck disable=SC2086
[ -n "$benches" ] && cmake --build --preset win --target $benches
scripts/wine-prefix.sh

for b in $native_targets; do
  echo "== $b (native, Linux) =="
  build/bench/tests/$b
done
for b in $benches; do
  echo "== $b (Windows build, under Wine) =="
  scripts/xvfb.sh scripts/wine-run.sh "build/win/tests/$b.exe"
done
WINEPREFIX="$ROOT/build/wineprefix" wineserver -k 2>/dev/null || true
