#!/usr/bin/env bash
# Installs what is missing, builds, and runs the upload benchmark (see upload_bench.py).
# Needs about 450 MB of disk under build/bench for the 200 MB file and its frame.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
python3 bench/upload_bench.py
