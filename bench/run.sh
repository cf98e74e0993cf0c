#!/usr/bin/env bash
# Installs what is missing, builds, and runs the upload benchmark (see upload_bench.py).
# Needs about 450 MB of disk under build/bench for the 200 MB file and its frame.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --test
scripts/build.sh -DTESSARO_BUILD_BENCH=ON
python3 bench/upload_bench.py
