#!/usr/bin/env bash
# Each program folder may include only itself and the folders below it, so the
# layers read bottom-up and nothing imports in a circle. Tests may include anything.
# Prints every offending include as file:line and fails when there is one.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

# Bottom first. resources/ holds only ids and generated tables, so every layer may read it.
layers=(resources platform state text catalog framework editor app cmd)

rank() {
    local i
    for i in "${!layers[@]}"; do
        [[ ${layers[$i]} == "$1" ]] && { echo "$i"; return; }
    done
    echo -1
}

status=0
for folder in "${layers[@]}"; do
    [[ -d $folder ]] || continue
    own=$(rank "$folder")
    while IFS=: read -r file line included; do
        target=${included%%/*}
        [[ $included == */* ]] || continue
        other=$(rank "$target")
        if (( other < 0 )); then
            echo "$file:$line: includes \"$included\", which is not in a program folder" >&2
            status=1
        elif (( other > own )); then
            echo "$file:$line: $folder/ includes \"$included\" from $target/, a folder above it" >&2
            status=1
        fi
    done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]+"' "$folder" --include='*.h' --include='*.cpp' \
             | sed -E 's/^([^:]+):([0-9]+):[[:space:]]*#[[:space:]]*include[[:space:]]+"([^"]+)".*/\1:\2:\3/')
done
# Files go through platform/: the iostreams' locale machinery would more than
# double the size of the programs.
while IFS= read -r hit; do
    echo "$hit: the program uses no iostreams (read and write files through platform/)" >&2
    status=1
done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<(iostream|fstream|sstream|istream|ostream)>' \
         "${layers[@]}" --include='*.h' --include='*.cpp' | cut -d: -f1,2)
if (( status == 0 )); then echo "layering: every include points down, and none is an iostream"; fi
exit $status
