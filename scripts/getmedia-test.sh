#!/usr/bin/env bash
# /getmedia against a real IPP printer under Wine: ippeveprinter on the
# loopback with a known media list (tests/data/ipp/printer-media.conf); the
# companion lists, then merges into a catalog, and the key must hold exactly
# the papers the printer's media give; /ready merges only what is loaded.
#   scripts/getmedia-test.sh <VellicorCmd.exe>
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
CMD="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
export WINEPREFIX="${WINEPREFIX:-$ROOT/build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
"$ROOT/scripts/wine-prefix.sh"

port="$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')"
WORK="$(mktemp -d)"
cleanup() {
  "$ROOT/scripts/ipp-printer.sh" stop "$port" >/dev/null 2>&1 || true
  rm -rf "$WORK"
}
trap cleanup EXIT
"$ROOT/scripts/ipp-printer.sh" start "$port" "$ROOT/tests/data/ipp/printer-media.conf" || exit 1
uri="ipp://127.0.0.1:$port/ipp/print"

failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

KEY='SOFTWARE\QuandrelTests\GetMedia'
cat >"$WORK/Vellicor.cfg" <<CFG
[I18N]
Language=English
[Backups]
Folder=$(winepath -w "$WORK/Backups" 2>/dev/null)
[Windows NT]
Catalog_01=Printer Media
PDL_01=PS
Registry_01=$KEY\\Printer Media
Catalog_02=Loaded Media
PDL_02=PS
Registry_02=$KEY\\Loaded Media
CFG
wine reg delete "HKLM\\$KEY" /f >/dev/null 2>&1

companion() { (cd "$WORK" && wine "$CMD" "$@" 2>"$WORK/err.txt" | tr -d '\r'); }
# A value of the catalog's key as the registry holds it, or nothing.
stored() { wine reg query "HKLM\\$KEY\\$1" 2>/dev/null | tr -d '\r' | sed -n 's/^ *\(.*[^ ]\) *REG_SZ *\(.*\)$/\1=\2/p' | sort; }

# /check: what it would give, and every media it cannot take with the reason.
out="$(companion /getmedia "$uri" /check)"; code=$?
[ $code -eq 0 ] || fail "/getmedia /check ended with $code: $(cat "$WORK/err.txt")"
expected_check="Media reported by the printer at $uri: 8, loaded now: 2
Media not taken: 3
  Small A5: its size, 148 x 210 mm, is not one this PC offers.
  No weight: the printer gives no weight for it.
  Board 300: its weight, 300 g/m², is outside this PC's limits (60 to 200).
Papers it would give: 5
  1. Office 80, 210 x 297 mm, white, 80, plain (loaded now)
  2. letter_cover_blue, 8.5 x 11 in, blue, 160, cover
  3. A3 color 120 yellow, 297 x 420 mm, yellow, 120, color
  4. film, 210 x 297 mm, clear, 100, transparency, Force 1-sided
  5. legal_90, 8.5 x 14 in, white, 90, plain (loaded now)"
# The console's code page decides how the square sign arrives: compared without it.
squared() { LC_ALL=C sed 's|g/m[^,]*,|g/m2,|'; }
if [ "$(squared <<<"$out")" != "$(squared <<<"$expected_check")" ]; then
  fail "/getmedia /check printed:"; echo "$out"; echo "--- expected:"; echo "$expected_check"
fi
[ -z "$(stored 'Printer Media')" ] || fail "/check wrote the key"

# The merge: every paper the media give, in the printer's order, through the one save.
out="$(companion /getmedia "$uri" "Printer Media" /nobackup)"; code=$?
[ $code -eq 0 ] || fail "/getmedia ended with $code: $(cat "$WORK/err.txt")"
grep -q "Catalog Printer Media. Added: 5, changed: 0, left alone: 0" <<<"$out" || fail "/getmedia printed: $out"
expected_key='A3 color 120 yellow=A3,120,yellow,color,F,2
Office 80=A4,80,white,plain,F,0
film=A4,100,clear,transparency,T,3
legal_90=LEGAL,90,white,plain,F,4
letter_cover_blue=LETTER,160,blue,cover,F,1'
got="$(stored 'Printer Media')"
[ "$got" = "$expected_key" ] || { fail "the key holds:"; echo "$got"; }

# Fetched again, nothing changes and nothing is saved: no backup is written.
files_before="$(find "$WORK/Backups" -type f 2>/dev/null | wc -l)"
out="$(companion /getmedia "$uri" "Printer Media")"; code=$?
[ $code -eq 0 ] || fail "the second /getmedia ended with $code"
grep -q "already holds every paper of the printer's media" <<<"$out" || fail "the second /getmedia printed: $out"
[ "$(find "$WORK/Backups" -type f 2>/dev/null | wc -l)" = "$files_before" ] || fail "a save that changed nothing wrote a file"

# /ready: only what is loaded now.
out="$(companion /getmedia "$uri" "Loaded Media" /ready /nobackup)"; code=$?
[ $code -eq 0 ] || fail "/getmedia /ready ended with $code: $(cat "$WORK/err.txt")"
got="$(stored 'Loaded Media')"
[ "$got" = "Office 80=A4,80,white,plain,F,0
legal_90=LEGAL,90,white,plain,F,1" ] || { fail "/ready stored:"; echo "$got"; }

# An address nobody answers at: code 9, nothing saved.
"$ROOT/scripts/ipp-printer.sh" stop "$port"
out="$(companion /getmedia "$uri" "Loaded Media" /timeout 5)"; code=$?
[ $code -eq 9 ] || fail "/getmedia of a stopped printer ended with $code"
grep -q "could not be reached\|did not answer" "$WORK/err.txt" || fail "no reason given: $(cat "$WORK/err.txt")"

wine reg delete "HKLM\\$KEY" /f >/dev/null 2>&1
[ $failures -eq 0 ] && echo "getmedia test passed"
exit $((failures > 0))
