#!/usr/bin/env bash
# Holds every include of the program to the allow-lists of include-rules.txt:
# each folder names the folders it may include. Prints every offending include
# as file:line with the rule it breaks, and fails when there is one; also fails
# on a folder without a rule and on rules that allow a circle between folders.
# Usage: check-layering.sh [ROOT]  (the checkout by default; tests give another)
set -euo pipefail
set -f  # "*" in a rule is a word, not a pattern
root=${1:-"$(dirname "${BASH_SOURCE[0]}")/.."}
cd "$root"
rules=include-rules.txt
[[ -f $rules ]] || { echo "$rules: missing" >&2; exit 1; }

declare -A allowed=()
within=""
while IFS= read -r line || [[ -n $line ]]; do
    line=${line%%#*}
    [[ $line =~ ^[[:space:]]*$ ]] && continue
    if [[ $line =~ ^within:(.*)$ ]]; then within+=" ${BASH_REMATCH[1]}"; continue; fi
    if [[ ! $line =~ ^[[:space:]]*([A-Za-z0-9_.-]+):(.*)$ ]]; then
        echo "$rules: not a rule: $line" >&2; exit 1
    fi
    read -r -a names <<< "${BASH_REMATCH[2]}"
    allowed[${BASH_REMATCH[1]}]=" ${names[*]} "
done < "$rules"

status=0
# Every folder that holds C++ files has a rule.
while IFS= read -r folder; do
    [[ -v allowed[$folder] ]] || { echo "$folder/: no rule in $rules" >&2; status=1; }
done < <(find . -mindepth 2 \( -name '*.h' -o -name '*.cpp' \) -not -path './build*' -not -path './.git/*' \
         | cut -d/ -f2 | sort -u)

# The allowed edges form no circle (tsort names one when they do).
edges=""
for folder in "${!allowed[@]}"; do
    for other in ${allowed[$folder]}; do
        [[ $other == '*' ]] || edges+="$other $folder"$'\n'
    done
done
if ! loop=$(printf '%s' "$edges" | tsort 2>&1 >/dev/null) || [[ -n $loop ]]; then
    echo "$rules: the rules allow a circle:" >&2
    printf '%s\n' "$loop" | sed -n 's/^tsort: //p' >&2
    status=1
fi

for folder in "${!allowed[@]}"; do
    [[ -d $folder && ${allowed[$folder]} != *' * '* ]] || continue
    while IFS=: read -r file line included; do
        [[ $included == */* ]] || continue  # a generated header of the build folder
        target=${included%%/*}
        [[ $target == "$folder" || ${allowed[$folder]} == *" $target "* ]] && continue
        echo "$file:$line: $folder/ may not include \"$included\" (its rule in $rules allows:${allowed[$folder]% })" >&2
        status=1
    done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]+"' "$folder" --include='*.h' --include='*.cpp' \
             | sed -E 's/^([^:]+):([0-9]+):[[:space:]]*#[[:space:]]*include[[:space:]]+"([^"]+)".*/\1:\2:\3/')
done
# The folders named on the "within:" line keep their files free of circles
# too: a file and its header are one unit, as is a .cpp named after a
# header's name plus more (VellicorViewEdit.cpp implements VellicorView.h).
for folder in $within; do
    [[ -d $folder ]] || continue
    inner=$(grep -rE "^[[:space:]]*#[[:space:]]*include[[:space:]]+\"$folder/" "$folder" --include='*.h' --include='*.cpp' \
            | sed -E 's/^([^:]+):[[:space:]]*#[[:space:]]*include[[:space:]]+"([^"]+)".*/\1 \2/' \
            | awk -v headers="$(find "$folder" -maxdepth 1 -name '*.h' -printf '%f ')" '
                function unit(path,   name, i, best) {
                    name = path; sub(/.*\//, "", name); sub(/\.[^.]*$/, "", name); best = name
                    for (i in h) if (index(name, h[i]) == 1 && (best == name || length(h[i]) > length(best))) best = h[i]
                    return best
                }
                BEGIN { n = split(headers, list, " "); for (i = 1; i <= n; ++i) { h[i] = list[i]; sub(/\.h$/, "", h[i]) } }
                { from = unit($1); to = unit($2); if (from != to) print to, from }')
    if ! loop=$(printf '%s\n' "$inner" | tsort 2>&1 >/dev/null) || [[ -n $loop ]]; then
        echo "$folder/: its files include each other in a circle:" >&2
        printf '%s\n' "$loop" | sed -n 's/^tsort: //p' >&2
        status=1
    fi
done
# Files go through platform/: the iostreams' locale machinery would more than
# double the size of the programs. tools/ holds host programs of the build.
for folder in "${!allowed[@]}"; do
    [[ -d $folder && $folder != tools && ${allowed[$folder]} != *' * '* ]] || continue
    while IFS= read -r hit; do
        echo "$hit: the program uses no iostreams (read and write files through platform/)" >&2
        status=1
    done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<(iostream|fstream|sstream|istream|ostream)>' \
             "$folder" --include='*.h' --include='*.cpp' | cut -d: -f1,2)
done
if (( status == 0 )); then echo "layering: every include is one its folder's rule allows, no folder's files include each other in a circle, and none is an iostream"; fi
exit $status
