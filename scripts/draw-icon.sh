#!/usr/bin/env bash
# Draws win/tavrix.ico: a deep blue keycap seen from slightly above (light top face, darker rim and front),
# a white "T" on the top face and a small amber arrow on the front edge, at 48, 32 and 16 pixels.
# Each size is drawn on its own pixel grid; 16 px has no anti-aliasing. Needs ImageMagick.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

edge='#0a1a44' rim='#1b4293' front='#15377e' face='#2f6fd6' lit='#6f9ff0' legend='#ffffff' accent='#ffb21e'

# keycap SIZE OUTLINE RIM HIGHLIGHT FACE LEGEND ARROW: -draw lists for each part; rim and face are shaded top to bottom.
keycap() {
  convert -size "$1x$1" xc:none \( -size "$1x$1" "gradient:#2352ac-#112c6c" -write mpr:rim +delete \) \
    \( -size "$1x$1" "gradient:#3c80e6-#2860c4" -write mpr:face +delete \) \
    -fill "$edge" -draw "$2" -tile mpr:rim -draw "$3" +tile -fill "$lit" -draw "$4" -tile mpr:face -draw "$5" +tile \
    -fill "$legend" -draw "$6" -fill "$accent" -draw "$7" "$tmp/$1.png"
}

keycap 48 'roundrectangle 2,2 45,45 9,9' 'roundrectangle 3,3 44,44 8,8' \
  'roundrectangle 8,4 39,35 6,6' 'roundrectangle 8,5 39,35 6,6' \
  'rectangle 13,10 34,15 rectangle 21,16 26,30' 'rectangle 16,39 25,40 polygon 26,36.5 31,39.5 26,42.5'
keycap 32 'roundrectangle 1,1 30,30 6,6' 'roundrectangle 2,2 29,29 5,5' \
  'roundrectangle 5,3 26,23 4,4' 'roundrectangle 5,4 26,23 4,4' \
  'rectangle 9,7 22,9 rectangle 14,10 17,20' \
  'rectangle 10,26 19,26 rectangle 19,24 19,28 rectangle 20,25 20,27 point 21,26'

# 16 px: plain rectangles and points, pixel by pixel.
convert -size 16x16 xc:none +antialias \
  -fill "$edge" -draw 'rectangle 1,0 14,15 rectangle 0,1 15,14' \
  -fill "$rim" -draw 'rectangle 2,1 13,14 rectangle 1,2 14,13' \
  -fill "$front" -draw 'rectangle 2,11 13,14 rectangle 1,11 14,13' \
  -fill "$lit" -draw 'rectangle 4,1 11,1' -fill "$face" -draw 'rectangle 4,2 11,10 rectangle 3,3 12,9' \
  -fill "$legend" -draw 'rectangle 4,3 11,4 rectangle 7,5 8,9' \
  -fill "$accent" -draw 'rectangle 5,12 10,12 point 9,11 point 9,13' "$tmp/16.png"

convert "$tmp/16.png" "$tmp/32.png" "$tmp/48.png" "$root/win/tavrix.ico"
