#!/usr/bin/env bash
# The layering check on small trees: what it refuses, and that each refusal
# names the file and line (or the rule) at fault.
# Usage: check-layering-test.sh path/to/check-layering.sh
set -uo pipefail
CHECK="$1"
failures=0

# case NAME EXPECTED-STATUS EXPECTED-MESSAGE RULES [FILE=CONTENT...]
case_() {
    local name="$1" expected="$2" message="$3" rules="$4"
    shift 4
    local work
    work="$(mktemp -d)"
    printf '%s\n' "$rules" > "$work/include-rules.txt"
    for planted in "$@"; do
        mkdir -p "$work/$(dirname "${planted%%=*}")"
        printf '%s\n' "${planted#*=}" > "$work/${planted%%=*}"
    done
    local output status
    output=$("$CHECK" "$work" 2>&1)
    status=$?
    if (( (status != 0) != expected )); then
        echo "FAIL $name: exit status $status"; echo "$output"; failures=$((failures + 1))
    elif [[ -n $message && $output != *"$message"* ]]; then
        echo "FAIL $name: no \"$message\" in:"; echo "$output"; failures=$((failures + 1))
    else
        echo "ok   $name"
    fi
    rm -rf "$work"
}

RULES=$'low:\nhigh: low\ntests: *'
case_ "downward include passes" 0 "" "$RULES" \
    'low/a.h=#pragma once' 'high/b.cpp=#include "high/b.h"'$'\n''#include "low/a.h"' 'high/b.h=' \
    'tests/t.cpp=#include "high/b.h"'$'\n''#include <sstream>'
case_ "an include the rule does not allow names file and line" 1 'low/a.cpp:3: low/ may not include "high/b.h"' "$RULES" \
    'low/a.cpp=// a'$'\n''#include "low/a.h"'$'\n''  #  include "high/b.h"' 'high/b.h='
case_ "a folder without a rule" 1 "other/: no rule" "$RULES" 'other/x.cpp=int x;'
case_ "rules that allow a circle" 1 "allow a circle" $'low: high\nhigh: low' 'low/a.h='
case_ "an iostream in a program folder" 1 "high/b.cpp:1: the program uses no iostreams" "$RULES" \
    'high/b.cpp=#include <fstream>'
case_ "files of one folder that include each other in a circle" 1 "high/: its files include each other in a circle" $'within: high\n'"$RULES" \
    'high/a.h=#include "high/b.h"' 'high/b.h=' 'high/bMore.cpp=#include "high/a.h"'
case_ "a file and its header are one unit" 0 "" $'within: high\n'"$RULES" \
    'high/a.h=' 'high/a.cpp=#include "high/a.h"'$'\n''#include "high/b.h"' 'high/b.h=' 'high/bMore.cpp=#include "high/b.h"'
case_ "a line that is no rule" 1 "not a rule" $'low\nhigh: low' 'low/a.h='
# The project's own tree keeps its rules.
if ! "$CHECK" >/dev/null; then echo "FAIL the checkout breaks its own rules"; failures=$((failures + 1)); fi

(( failures == 0 )) && echo "all layering-check cases passed"
exit $(( failures > 0 ))
