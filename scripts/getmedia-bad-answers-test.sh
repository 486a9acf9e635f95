#!/usr/bin/env bash
# /getmedia against a printer that answers badly, through the real WinHTTP
# transport under Wine: tests/tools/ipp-bad-printer.py on the loopback serves
# one canned answer per path. Each row: the path, the exit code, a phrase the
# companion must print, and the catalog's key must be unchanged.
#   scripts/getmedia-bad-answers-test.sh <VellicorCmd.exe>
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
CMD="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
export WINEPREFIX="${WINEPREFIX:-$ROOT/build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
"$ROOT/scripts/wine-prefix.sh"

WORK="$(mktemp -d)"
server=""
cleanup() {
  [ -n "$server" ] && kill "$server" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT
python3 "$ROOT/tests/tools/ipp-bad-printer.py" "$WORK/port" &
server=$!
for _ in $(seq 100); do [ -s "$WORK/port" ] && break; sleep 0.1; done
[ -s "$WORK/port" ] || { echo "FAILED: the bad printer did not start"; exit 1; }
base="ipp://127.0.0.1:$(cat "$WORK/port")"

failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

KEY='SOFTWARE\QuandrelTests\GetMediaBad'
cat >"$WORK/Vellicor.cfg" <<CFG
[I18N]
Language=English
[Backups]
Folder=$(winepath -w "$WORK/Backups" 2>/dev/null)
[Windows NT]
Catalog_01=Shop Papers
PDL_01=PS
Registry_01=$KEY\\Shop Papers
CFG
wine reg delete "HKLM\\$KEY" /f >/dev/null 2>&1

companion() { (cd "$WORK" && wine "$CMD" "$@" >"$WORK/out.txt" 2>"$WORK/err.txt"); }
stored() { wine reg query "HKLM\\$KEY\\Shop Papers" 2>/dev/null | tr -d '\r' | sed -n 's/^ *\(.*[^ ]\) *REG_SZ *\(.*\)$/\1=\2/p' | sort; }

# The catalog the bad answers must leave alone.
printf 'Name,Size,Weight,Color,Type,ForceOneSided\r\nOffice 80,A4,80,white,plain,no\r\nCover 160,LETTER,160,blue,cover,no\r\n' >"$WORK/shop.csv"
companion /import shop.csv "Shop Papers" /nobackup || fail "the catalog could not be imported: $(cat "$WORK/err.txt")"
before="$(stored)"
[ "$(wc -l <<<"$before")" = 2 ] || fail "the imported catalog holds: $before"

# path | exit code | phrase | extra switches
rows=(
  "/timeout|9|did not answer in time|"
  "/http500|9|answered with the HTTP error 500|"
  "/status|9|IPP status 0x0404 (client-error-not-possible)|"
  "/truncated|9|is not a complete IPP message|"
  "/wrong-syntax|9|gives media-col-database/media-size in a form the IPP standard does not allow|"
  "/long-name|9|gives media-col-database/media-info in a form the IPP standard does not allow|"
  "/many|0|Media reported by the printer at $base/many: 10000, loaded now: 0|/check"
)
for row in "${rows[@]}"; do
  IFS='|' read -r path expected phrase extra <<<"$row"
  uri="$base$path"
  # shellcheck disable=SC2086
  start=$SECONDS
  companion /getmedia "$uri" "Shop Papers" /timeout 2 $extra
  code=$?
  took=$((SECONDS - start))
  output="$(cat "$WORK/out.txt" "$WORK/err.txt" | tr -d '\r')"
  [ "$code" = "$expected" ] || fail "$path ended with $code, not $expected: $output"
  grep -qF "$phrase" <<<"$output" || fail "$path did not say \"$phrase\": $(head -c 600 <<<"$output")"
  [ "$(stored)" = "$before" ] || fail "$path changed the catalog's key"
  # The wait is bounded by /timeout, not by the server.
  [ "$path" != /timeout ] || [ "$took" -le 15 ] || fail "/timeout took $took s"
done

wine reg delete "HKLM\\$KEY" /f >/dev/null 2>&1
[ $failures -eq 0 ] && echo "getmedia bad answers test passed"
exit $((failures > 0))
