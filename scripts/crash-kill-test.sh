#!/usr/bin/env bash
# The companion's Wine process killed from outside (SIGKILL, as a logoff or a
# deployment tool's timeout ends it) while it saves; the next command must
# leave the key holding exactly the old or the new catalog.
#   scripts/crash-kill-test.sh <crash_test.exe> <VellicorCmd.exe> [papers]
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
test_program="$1"
companion="$2"
papers="${3:-2000}"
# Every Wine program's output goes through a file: a killed process's helpers
# must not keep the caller's pipe open.
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
run() { "$ROOT/scripts/wine-run.sh" "$@" >"$log" 2>&1 </dev/null; local status=$?; tr -d '\r' <"$log"; return $status; }

file="$(run "$test_program" "$papers" prepare)"
config="${file%\\*}\\Vellicor.cfg"
status=0
for delay in 0.25 0.3 0.35 0.4; do
  run "$test_program" "$papers" prepare >/dev/null
  "$ROOT/scripts/wine-run.sh" "$companion" /import "$file" Crash /config "$config" >/dev/null 2>&1 </dev/null &
  pid=$!
  sleep "$delay"
  # The Wine process and whatever it started, by process id.
  for child in $(pgrep -P "$pid" 2>/dev/null); do kill -9 "$child" 2>/dev/null || true; done
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  echo "killed after ${delay}s:"
  run "$test_program" "$papers" verify || status=1
done
exit $status
