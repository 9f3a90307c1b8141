#!/usr/bin/env bash
# Draws the program icon, "01" over "10" on a blue rounded square, and writes res/Vornel.ico
# with 16, 24, 32 and 48 pixel images and a 256 pixel PNG image. Needs ImageMagick.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# scaled VALUE SIZE: VALUE (given for the 256 pixel image) scaled to SIZE, rounded.
scaled() { awk -v v="$1" -v n="$2" 'BEGIN { printf "%.0f", v * n / 256 }'; }

# draw SIZE: one image of the icon, SIZE x SIZE pixels, drawn at that size.
draw() {
  local n=$1 radius point margin
  radius=$(scaled 40 "$n")
  point=$(awk -v n="$n" 'BEGIN { printf "%.1f", 118 * n / 256 }')
  margin=$(scaled 2 "$n")
  convert -size "${n}x${n}" xc:none \
    -fill '#1f4e8c' -draw "roundrectangle 0,0 $((n - 1)),$((n - 1)) $radius,$radius" \
    -font DejaVu-Sans-Mono-Bold -pointsize "$point" \
    -fill white -gravity north -annotate "+0+$margin" '01' \
    -fill '#ffc83d' -gravity south -annotate "+0+$margin" '10' \
    +set date:create +set date:modify -define png:exclude-chunks=date,time \
    "PNG32:$work/icon-$n.png"
}

for size in 16 24 32 48 256; do draw "$size"; done
# ImageMagick stores the images below 256 pixels as 32-bit bitmaps and the 256 pixel one as PNG.
convert "$work/icon-16.png" "$work/icon-24.png" "$work/icon-32.png" "$work/icon-48.png" \
  "$work/icon-256.png" "$root/res/Vornel.ico"
echo "wrote $root/res/Vornel.ico"
