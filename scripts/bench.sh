#!/usr/bin/env bash
# `make bench`: the benchmarks, natively (optimised) and under Wine. Each
# program prints its own table and judges every figure against a limit
# measured in the same run. All of them run even after a miss; the last line
# names every figure that missed (or says that all met their limits), and the
# exit code is 1 when any missed.
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

log=$(mktemp)
trap 'rm -f "$log"' EXIT
failed=()
run() {
  local name=$1
  shift
  # A benchmark that ends without naming what missed (a crash, say) is named whole.
  if ! "$@" 2>&1 | tee -a "$log"; then
    grep -q "^MISSED $name" "$log" || failed+=("$name exited with an error")
  fi
}
for b in $native_targets; do
  echo "== $b (native, Linux) =="
  run "$b (native build)" "build/bench/tests/$b"
done
for b in $benches; do
  echo "== $b (Windows build, under Wine) =="
  run "$b (Windows build)" scripts/xvfb.sh scripts/wine-run.sh "build/win/tests/$b.exe"
done
WINEPREFIX="$ROOT/build/wineprefix" wineserver -k 2>/dev/null || true

missed=$(sed -n 's/\r$//; s/^MISSED //p' "$log")
for f in "${failed[@]}"; do missed+="${missed:+$'\n'}$f"; done
echo
if [ -z "$missed" ]; then
  echo "bench: every figure met its limit"
else
  echo "bench: missed: $(echo "$missed" | paste -sd ';' | sed 's/;/; /g')"
  exit 1
fi
