#!/usr/bin/env bash
# Configures and builds into build/ (or the folder in BUILD_DIR), passing any arguments to CMake.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" "$@" >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
