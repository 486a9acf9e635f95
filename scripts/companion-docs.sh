#!/usr/bin/env bash
# The companion's command list and exit-code table in the README and in the
# help pages are made from the program's own table (tools/CompanionDocs.cpp):
# each sits between "<!-- generated: companion PART -->" and
# "<!-- end generated -->". `check` (run by make test) fails when a block
# differs from what the program says, or a document lacks a block or a switch
# the program knows (each help page's table of switches has a row for every
# one); `write` brings the blocks up to date.
# Usage: companion-docs.sh check|write path/to/companion_docs
set -euo pipefail
mode=$1
generator=$(realpath "$2")
cd "$(dirname "${BASH_SOURCE[0]}")/.."

declare -A languages=([Vellicor.htm]=English [Vellicor_DAN.htm]=Danish [Vellicor_NLD.htm]=Dutch
    [Vellicor_FIN.htm]=Finnish [Vellicor_FRA.htm]=French [Vellicor_DEU.htm]=German [Vellicor_ITA.htm]=Italian
    [Vellicor_NOR.htm]=Norwegian [Vellicor_ESP.htm]=Spanish [Vellicor_SVE.htm]=Swedish)

status=0
# update FILE FORM LANGUAGE: the file with its generated blocks made anew, on stdout.
update() {
    awk -v generator="$generator" -v form="$2" -v language="$3" -v file="$1" '
        /<!-- generated: companion [a-z-]+ -->/ {
            print
            match($0, /companion [a-z-]+/)
            part = substr($0, RSTART + 10, RLENGTH - 10)
            command = generator " " form " " part " " language
            while ((command | getline line) > 0) print line
            if (close(command) != 0) { print file ": no " part " from " generator > "/dev/stderr"; failed = 1 }
            found[part] = 1; skipping = 1; next
        }
        /<!-- end generated -->/ { skipping = 0 }
        !skipping { print }
        END {
            for (part in wanted) if (!(part in found)) { print file ": no generated block " part > "/dev/stderr"; failed = 1 }
            exit failed
        }
        BEGIN { wanted["syntax"]; wanted["exit-codes"] }
    ' "$1"
}

documents=(README.md)
for page in "${!languages[@]}"; do documents+=("resources/$page"); done
for document in "${documents[@]}"; do
    page=${document#resources/}
    if [[ $document == README.md ]]; then form=markdown language=English; else form=html language=${languages[$page]}; fi
    made=$(mktemp)
    if ! update "$document" "$form" "$language" > "$made"; then status=1; rm -f "$made"; continue; fi
    if [[ $mode == write ]]; then
        cat "$made" > "$document"
    elif ! diff -u "$document" "$made" >&2; then
        echo "$document: its generated blocks differ from the program's table (scripts/companion-docs.sh write)" >&2
        status=1
    fi
    rm -f "$made"
    while IFS= read -r switch; do
        if [[ $form == html ]]; then
            grep -qF "<td><code>$switch" "$document" || { echo "$document: its table of switches lacks $switch" >&2; status=1; }
        else
            grep -qF -- "$switch" "$document" || { echo "$document: does not name $switch" >&2; status=1; }
        fi
    done < <("$generator" switches)
done
(( status == 0 )) && [[ $mode == check ]] && echo "companion-docs: the README and the help pages match the program's table"
exit $status
