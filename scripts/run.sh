#!/usr/bin/env bash
# `make run`: builds the Windows program, loads the demo catalogs into the
# project's Wine prefix and starts Quandrel on the demo configuration. With a
# display ($DISPLAY) it runs until you close it; without one it runs under a
# private Xvfb for a few seconds and leaves a screenshot in build/screenshot.png.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"

export WINEPREFIX="${WINEPREFIX:-$ROOT/build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
EXE="$ROOT/build/win/Vellicor.exe"
RUN_DIR="$ROOT/build/demo-run"
SCREENSHOT="$ROOT/build/screenshot.png"

# Runs on the Xvfb display that scripts/xvfb.sh made: start, screenshot, stop.
if [ "${1:-}" = "--screenshot" ]; then
  cd "$RUN_DIR"
  wine "$EXE" &
  pid=$!
  stop() {
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    # Its helpers (explorer, services) go too, while the display still exists.
    wineserver -k 2>/dev/null || true
  }
  trap stop EXIT
  sleep 4
  if ! kill -0 "$pid" 2>/dev/null; then
    status=0
    wait "$pid" || status=$?
    echo "run.sh: Vellicor.exe ended within 4 seconds (exit code $status)" >&2
    exit 1
  fi
  import -window root "$SCREENSHOT"
  echo "Screenshot of Quandrel: $SCREENSHOT"
  exit 0
fi

scripts/deps.sh
cmake --preset win >/dev/null
cmake --build --preset win
if [ ! -f "$EXE" ]; then
  echo "run.sh: $EXE was not built" >&2
  exit 1
fi

scripts/wine-prefix.sh
# demo.reg deletes the demo key tree first, so every run starts from the same
# catalogs. regedit /S needs no display and reports no errors: check a value.
(cd demo && wine regedit /S demo.reg)
if ! wine reg query 'HKLM\SOFTWARE\Quandrel\Demo\Office PostScript' /v Letter >/dev/null 2>&1; then
  echo "run.sh: the demo catalogs could not be imported into $WINEPREFIX" >&2
  exit 1
fi

# Quandrel reads Vellicor.cfg from its current directory.
rm -rf "$RUN_DIR"
mkdir -p "$RUN_DIR"
cp demo/Vellicor.cfg "$RUN_DIR/"

if [ -n "${DISPLAY:-}" ]; then
  cd "$RUN_DIR"
  exec wine "$EXE"
fi
echo "No display: running Quandrel under Xvfb for a screenshot."
exec scripts/xvfb.sh "$ROOT/scripts/run.sh" --screenshot
