#!/usr/bin/env bash
# Runs the engine tests under valgrind's memcheck: no leaks, no invalid reads or writes.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
[ -x "$build_dir/bin/engine_tests" ] || { scripts/install-deps.sh --test; scripts/build.sh -DTESSARO_BUILD_TESTS=ON; }
# The 500-load run is slow under valgrind and measures memory its own way; the rest runs whole.
valgrind --leak-check=full --show-leak-kinds=definite,indirect --errors-for-leak-kinds=definite,indirect \
  --error-exitcode=1 --quiet "$build_dir/bin/engine_tests" --gtest_brief=1 \
  --gtest_filter='-*FiveHundred*'
echo "valgrind: engine tests clean"
