#!/usr/bin/env bash
# Installs what is missing, builds and runs every test, headless: once as built, once under
# AddressSanitizer and UndefinedBehaviorSanitizer (build-sanitize/), the engine tests under
# valgrind, then the Windows builds and their tests under wine (scripts/windows.sh).
# --quick runs the first pass only.
set -euo pipefail
cd "$(dirname "$0")/.."
quick=false
[ "${1:-}" = "--quick" ] && quick=true

scripts/install-deps.sh --test
export QT_QPA_PLATFORM=offscreen

echo "== tests"
scripts/build.sh -DTESSARO_BUILD_TESTS=ON -DTESSARO_SANITIZE=OFF
ctest --test-dir build -j"$(nproc)" --output-on-failure
$quick && exit 0

echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
BUILD_DIR=build-sanitize scripts/build.sh -DTESSARO_BUILD_TESTS=ON -DTESSARO_SANITIZE=ON
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-sanitize -j"$(nproc)" --output-on-failure

echo "== engine tests under valgrind"
scripts/valgrind.sh

echo "== Windows: 32- and 64-bit builds, their tests under wine, the native dialog"
scripts/windows.sh
