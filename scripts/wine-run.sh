#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's prefix. ctest uses it as
# the cross-compiling emulator; the exit code is the program's.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-$ROOT/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
"$ROOT/scripts/wine-prefix.sh"
exec wine "$@"
