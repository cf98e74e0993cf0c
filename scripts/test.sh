#!/usr/bin/env bash
# Installs what is missing, builds and runs every test (headless).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh -DTESSARO_BUILD_TESTS=ON
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build -j"$(nproc)" --output-on-failure
