#!/usr/bin/env bash
# Draws the program icon, resources/Vellicor.ico: three fanned paper sheets
# (yellow, blue, white) and a coloured band across the front sheet. Each size
# is drawn on its own pixel grid rather than scaled, so the small ones stay
# sharp. Needs ImageMagick 6 (convert).
#   scripts/make-icon.sh [OUTPUT.ico]
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="${1:-$ROOT/resources/Vellicor.ico}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

outline='#3c4452'
band='#c8372d'
ink='#8c96a5'

# sheet SIZE "x0,y0 x1,y1" for the back, middle and front sheets, the band,
# then the text lines of the front sheet.
draw() {
  local size=$1 back=$2 middle=$3 front=$4 bandRect=$5; shift 5
  local lines=()
  for l in "$@"; do lines+=(-draw "line $l"); done
  convert -size "${size}x${size}" xc:none +antialias -strokewidth 1 \
    -stroke "$outline" -fill '#f3e7a6' -draw "rectangle $back" \
    -fill '#cfe0f3' -draw "rectangle $middle" \
    -fill '#ffffff' -draw "rectangle $front" \
    -stroke none -fill "$band" -draw "rectangle $bandRect" \
    -stroke "$ink" "${lines[@]}" \
    "PNG32:$work/icon-$size.png"
}

draw 16 "6,0 15,11" "3,2 12,13" "0,4 9,15" "1,6 8,8" \
  "2,10 7,10" "2,12 6,12"
draw 32 "12,1 30,23" "7,4 25,27" "2,8 20,30" "3,11 19,15" \
  "5,18 17,18" "5,21 17,21" "5,24 14,24" "5,27 16,27"
draw 48 "18,2 45,35" "11,7 38,41" "4,12 31,46" "5,16 30,23" \
  "8,28 27,28" "8,32 27,32" "8,36 22,36" "8,40 25,40"

convert "$work/icon-16.png" "$work/icon-32.png" "$work/icon-48.png" "$out"
