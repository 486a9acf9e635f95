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

# Wine draws the caption buttons of its own (unmanaged) windows with Marlett;
# this Wine does not find the font in its data folder, so the prefix gets a copy.
add_marlett() {
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  if [ -d "$fonts" ] && [ ! -f "$fonts/marlett.ttf" ] && [ -f /usr/share/wine/fonts/marlett.ttf ]; then
    cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
  fi
}

if [ -f "$STAMP" ]; then add_marlett; exit 0; fi

mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.lock"
flock 9
if [ -f "$STAMP" ]; then add_marlett; exit 0; fi

echo "Creating the Wine prefix $WINEPREFIX (about ten seconds)..." >&2
wineboot -i >/dev/null 2>&1 || true
# Without a window manager (Xvfb) Wine waits about 2 s whenever a window is
# hidden or destroyed, unless its windows are unmanaged.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wineserver -w
add_marlett
touch "$STAMP"
