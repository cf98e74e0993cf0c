#!/usr/bin/env bash
# Installs what is missing, builds, starts the stand-in camera on 127.0.0.1:8399 and opens the
# upload dialog, so a whole upload can be watched: type 127.0.0.1, choose the sample file printed
# below, press Load. Closing the dialog stops the stand-in, which then says what it received.
# Without a display, the same upload runs through tessaro-cli instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh -DTESSARO_BUILD_TESTS=OFF

sample_dir=$PWD/build/sample/R7Z42WRS_demo  # the folder name carries the model marker
mkdir -p "$sample_dir"
sample="$sample_dir/firmware.bin"
[ -f "$sample" ] || head -c 3000000 /dev/urandom >"$sample"

port=8399
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "no display to open the dialog on: running the same upload with tessaro-cli"
  echo "(the stand-in listens on a free loopback port; the upload uses channel 10)"
  port=0
fi

camsim_log=$(mktemp)
build/bin/tessaro-camsim --port "$port" >"$camsim_log" 2>&1 &
camsim=$!
trap 'kill $camsim 2>/dev/null || true; rm -f "$camsim_log"' EXIT
until grep -q -e listening -e 'cannot listen' "$camsim_log"; do sleep 0.1; done
if grep -q 'cannot listen' "$camsim_log"; then
  cat "$camsim_log"
  exit 1
fi
port=$(sed -n 's/.*listening on 127.0.0.1:\([0-9]*\).*/\1/p' "$camsim_log")

status=0
if [ "$port" = 8399 ]; then
  echo "stand-in camera on 127.0.0.1:8399. In the dialog: IP 127.0.0.1, file $sample, Load."
  build/bin/tessaro || status=$?
else
  build/bin/tessaro-cli --ip 127.0.0.1 --port "$port" --channel 10 "$sample" || status=$?
fi
sleep 0.2
kill "$camsim" 2>/dev/null || true
wait "$camsim" 2>/dev/null || true
echo "the stand-in camera saw:"
tail -n +2 "$camsim_log"
echo "sha256 of the sample: $(sha256sum "$sample" | cut -d' ' -f1)"
exit "$status"
