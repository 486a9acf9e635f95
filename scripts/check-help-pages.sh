#!/usr/bin/env bash
# The help pages, one per interface language, are extended in parallel: every
# page must be UTF-8 and say so, have the same ids in the same order as the
# English page, and link only to ids it has. Prints each fault and fails on one.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../resources"

pages=(Vellicor.htm Vellicor_DAN.htm Vellicor_NLD.htm Vellicor_FIN.htm Vellicor_FRA.htm
       Vellicor_DEU.htm Vellicor_ITA.htm Vellicor_NOR.htm Vellicor_ESP.htm Vellicor_SVE.htm)

ids() { grep -o ' id="[^"]*"' "$1" | sed 's/ id="\(.*\)"/\1/'; }

status=0
english=$(ids Vellicor.htm)
for page in "${pages[@]}"; do
    if [[ ! -f $page ]]; then
        echo "$page: missing" >&2; status=1; continue
    fi
    if ! iconv -f UTF-8 -t UTF-8 "$page" >/dev/null 2>&1; then
        echo "$page: not valid UTF-8" >&2; status=1
    fi
    grep -q '<meta charset="utf-8">' "$page" || { echo "$page: no <meta charset=\"utf-8\">" >&2; status=1; }
    if [[ $(ids "$page") != "$english" ]]; then
        echo "$page: its ids differ from Vellicor.htm's:" >&2
        diff <(echo "$english") <(ids "$page") >&2 || true
        status=1
    fi
    missing=$(comm -23 <(grep -o 'href="#[^"]*"' "$page" | sed 's/href="#\(.*\)"/\1/' | sort -u) <(ids "$page" | sort -u))
    if [[ -n $missing ]]; then
        echo "$page: links to ids it has not:" $missing >&2; status=1
    fi
done
exit $status
