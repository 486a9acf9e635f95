#!/usr/bin/env bash
# Starts Vellicor.exe under Wine in FOLDER (which holds its Vellicor.cfg), waits
# for its main window, closes it as a user would (WM_CLOSE, through taskkill
# without /f) and expects the program to end by itself with exit code 0. The
# title "... - Untitled" appears only once the configuration has been read: a
# missing or unreadable one ends the program after its error box instead.
# Needs $DISPLAY (scripts/xvfb.sh gives one); uses $WINEPREFIX, by default the
# project's prefix.
#   scripts/smoke-test.sh EXE FOLDER [SCREENSHOT.png]
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
exe=$1 folder=$2 screenshot=${3:-}
export WINEPREFIX="${WINEPREFIX:-$ROOT/build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
"$ROOT/scripts/wine-prefix.sh"

image=$(basename "${exe//\\//}")
image_lower=${image,,}
fail() { echo "smoke-test: $*" >&2; exit 1; }

cd "$folder"
wine "$exe" &
pid=$!
stop() {
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}
trap stop EXIT

# Wine names an X window after its Win32 title and its class after the image.
found=""
for _ in $(seq 1 120); do
  if xwininfo -root -tree | grep -qF "Untitled\": (\"$image_lower\""; then found=yes; break; fi
  kill -0 "$pid" 2>/dev/null || fail "$image ended before showing its main window"
  sleep 0.5
done
[ -n "$found" ] || fail "no main window of $image within 60 seconds"
[ -z "$screenshot" ] || import -window root "$screenshot"

wine taskkill /im "$image" >/dev/null
status=0
for _ in $(seq 1 60); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.5
done
kill -0 "$pid" 2>/dev/null && fail "$image did not close within 30 seconds of WM_CLOSE"
wait "$pid" || status=$?
trap - EXIT
# Its helpers (explorer, services) end too, while the display still exists.
wineserver -k 2>/dev/null || true
(( status == 0 )) || fail "$image ended with exit code $status"
echo "smoke-test: $image showed its main window in $folder and closed cleanly"
