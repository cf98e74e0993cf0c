#!/usr/bin/env bash
# Installs what is missing, builds, and uploads a generated sample firmware file to the stand-in
# camera on 127.0.0.1, so one whole upload can be watched end to end.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh

sample_dir=build/sample/R7Z42WRS_demo
mkdir -p "$sample_dir"
sample="$sample_dir/firmware.bin"
[ -f "$sample" ] || head -c 3000000 /dev/urandom >"$sample"

camsim_log=$(mktemp)
build/bin/tessaro-camsim --port 0 --connections 1 >"$camsim_log" &
camsim=$!
trap 'kill $camsim 2>/dev/null || true; rm -f "$camsim_log"' EXIT
until grep -q listening "$camsim_log"; do sleep 0.1; done
port=$(sed -n 's/.*listening on 127.0.0.1:\([0-9]*\).*/\1/p' "$camsim_log")

echo "uploading $sample to the stand-in camera on 127.0.0.1:$port, channel 10"
status=0
build/bin/tessaro-cli --ip 127.0.0.1 --port "$port" --channel 10 "$sample" || status=$?
wait "$camsim" || true
echo "the stand-in camera saw:"
cat "$camsim_log"
echo "tessaro-cli exit status: $status (sha256 of the sample: $(sha256sum "$sample" | cut -d' ' -f1))"
exit "$status"
