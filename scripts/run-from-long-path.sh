#!/usr/bin/env bash
# Runs a Windows program under Wine from a folder whose full path is longer
# than MAX_PATH (260), so that what it finds beside itself is found however
# long its own path is.
#   scripts/run-from-long-path.sh PROGRAM.exe [ARGS...]
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
program="$(realpath "$1")"
shift
folder="$(dirname "$program")/long-path"
for n in $(seq -w 1 14); do folder="$folder/a_folder_name_of_some_length_$n"; done
mkdir -p "$folder"
# A hard link is enough and costs nothing; a copy where links are not possible.
ln -f "$program" "$folder/" 2>/dev/null || cp -f "$program" "$folder/"
cd "$folder"
exec "$ROOT/scripts/wine-run.sh" "./$(basename "$program")" "$@"
