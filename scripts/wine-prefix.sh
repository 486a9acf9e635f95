#!/usr/bin/env bash
# Makes the project's own Wine prefix (build/wineprefix) once; never ~/.wine.
# Safe to run from several processes at once.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-$ROOT/build/wineprefix}"
export WINEDEBUG=-all
# No Mono or Gecko installers: the program needs neither.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
STAMP="$WINEPREFIX/.quandrel-ready"
[ -f "$STAMP" ] && exit 0

mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.lock"
flock 9
[ -f "$STAMP" ] && exit 0

echo "Creating the Wine prefix $WINEPREFIX (about ten seconds)..." >&2
wineboot -i >/dev/null 2>&1 || true
# Without a window manager (Xvfb) Wine waits about 2 s whenever a window is
# hidden or destroyed, unless its windows are unmanaged.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wineserver -w
touch "$STAMP"
