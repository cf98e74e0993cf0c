#!/usr/bin/env bash
# Takes a screenshot of the real upload dialog under Xvfb into docs/screenshot.png (or $1).
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/screenshot.png}
[ -x build/bin/tessaro ] || scripts/build.sh
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 640x400x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $app $xvfb 2>/dev/null || true' EXIT
sleep 1
DISPLAY=$display QT_QPA_PLATFORM=xcb build/bin/tessaro &
app=$!
sleep 2
DISPLAY=$display import -window root "$out.full.png"
# Just the dialog: trim the empty desktop around it.
convert "$out.full.png" -trim +repage "$out"
rm -f "$out.full.png"
echo "wrote $out"
