#!/usr/bin/env bash
# Draws the program icon, resources/Vellicor.ico: three fanned paper sheets
# (yellow, blue, white) and a coloured band across the front sheet, at 16, 20,
# 24, 32, 40, 48, 64 and 256 pixels (the sizes Windows picks from at 100 % to
# 200 % and in large views). Each size is drawn on its own pixel grid rather
# than scaled from a picture: 16, 32 and 48 by hand, the others from the
# 48-pixel drawing's coordinates, rounded to their grid, with an outline that
# grows with the size. Needs ImageMagick 6 (convert).
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
  local stroke=$(( size >= 64 ? size / 32 : 1 ))
  convert -size "${size}x${size}" xc:none +antialias -strokewidth "$stroke" \
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

# The 48-pixel drawing's points "x,y x,y ..." on the grid of SIZE: each
# coordinate c becomes round((c + 0.5) * SIZE / 48 - 0.5), so a pixel's centre
# stays a pixel's centre.
fit() {
  local size=$1; shift
  awk -v s="$size" 'BEGIN { RS = " "; ORS = "" } NF {
      split($0, p, ","); x = int((p[1] + 0.5) * s / 48); y = int((p[2] + 0.5) * s / 48)
      if (NR > 1) print " "; print x "," y }' <<<"$*"
}

for size in 20 24 40 64 256; do
  # Below 32 pixels four text lines run together: three, as the 16-pixel drawing has two.
  last=()
  (( size >= 32 )) && last=("$(fit "$size" 8,40 25,40)")
  draw "$size" "$(fit "$size" 18,2 45,35)" "$(fit "$size" 11,7 38,41)" "$(fit "$size" 4,12 31,46)" \
    "$(fit "$size" 5,16 30,23)" "$(fit "$size" 8,28 27,28)" "$(fit "$size" 8,32 27,32)" \
    "$(fit "$size" 8,36 22,36)" "${last[@]}"
done

convert "$work/icon-16.png" "$work/icon-20.png" "$work/icon-24.png" "$work/icon-32.png" "$work/icon-40.png" \
  "$work/icon-48.png" "$work/icon-64.png" "$work/icon-256.png" "$out"
