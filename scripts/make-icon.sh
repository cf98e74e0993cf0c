#!/usr/bin/env bash
# Draws the application icon (a camera with an upload arrow) at 32x32 and 16x16, 16 colours, and
# the Windows .ico holding both. The outputs are committed; run this only to change the picture.
set -euo pipefail
cd "$(dirname "$0")/../res/icons"
draw() {  # size, output
  convert -size 64x64 xc:none \
    -fill '#1f3a93' -draw 'roundrectangle 2,2 61,61 10,10' \
    -fill '#e8e8e8' -draw 'roundrectangle 8,22 50,52 5,5' \
    -fill '#e8e8e8' -draw 'rectangle 18,16 32,24' \
    -fill '#303030' -draw 'circle 29,37 29,27' \
    -fill '#6fb3ff' -draw 'circle 29,37 29,32' \
    -fill '#2ecc40' -draw 'polygon 54,8 62,20 57,20 57,32 51,32 51,20 46,20' \
    -resize "$1x$1" -colors 16 "PNG32:$2"
}
draw 32 tessaro-32.png
draw 16 tessaro-16.png
convert tessaro-16.png tessaro-32.png tessaro.ico
