#!/usr/bin/env bash
# Runs a Windows test program under Wine while a real IPP printer answers on
# 127.0.0.1 (scripts/ipp-printer.sh) with the media of an attributes file; the
# program finds the printer's address in QUANDREL_TEST_PRINTER. The printer is
# stopped afterwards, however the program ends; the exit code is the program's.
#   scripts/with-ipp-printer.sh ATTRIBUTES-FILE PROGRAM.exe [ARGS...]
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
attributes="$1"
shift

# A port nobody listens on now: the system's choice for a socket bound to port 0.
port="$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')"
started="$("$ROOT/scripts/ipp-printer.sh" start "$port" "$attributes")"
trap '"$ROOT/scripts/ipp-printer.sh" stop "$port"' EXIT
uri="${started##*uri=}"
export QUANDREL_TEST_PRINTER="$uri"
# Wine passes the variable on to the program's environment.
export WINEDEBUG="${WINEDEBUG:--all}"
status=0
"$ROOT/scripts/wine-run.sh" "$@" || status=$?
exit "$status"
