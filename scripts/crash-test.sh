#!/usr/bin/env bash
# Runs the crash test program under Wine with its output in a file, printed
# afterwards: the companion processes it kills must not keep ctest's pipe open.
#   scripts/crash-test.sh <crash_test.exe> <papers> <instants>
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
log="$(mktemp)"
"$ROOT/scripts/wine-run.sh" "$@" >"$log" 2>&1 </dev/null
status=$?
cat "$log"
rm -f "$log"
exit $status
