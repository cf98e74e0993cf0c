#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time (seconds, default 60):
# the channel text parse, the marker classification of a path and the image builder.
# The seed corpus lives in fuzz/corpus/; what a run finds new goes to build-fuzz/corpus/.
# A crash leaves its input in build-fuzz/artifacts/ and fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
scripts/install-deps.sh --test
CXX=clang++ BUILD_DIR=build-fuzz scripts/build.sh -DTESSARO_FUZZ=ON -DTESSARO_BUILD_GUI=OFF \
  -DTESSARO_BUILD_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
mkdir -p build-fuzz/artifacts
status=0
for target in channel marker image; do
  corpus=build-fuzz/corpus/$target
  mkdir -p "$corpus"
  echo "== fuzz_$target for ${seconds}s"
  log=build-fuzz/fuzz_$target.log
  build-fuzz/bin/fuzz_$target "$corpus" "fuzz/corpus/$target" -max_total_time="$seconds" \
    -max_len=4096 -artifact_prefix="build-fuzz/artifacts/$target-" -print_final_stats=1 \
    >"$log" 2>&1 || status=1
  grep -E '^(Done|stat::number_of_executed_units|SUMMARY|artifact_prefix|Test unit)' "$log" || true
done
[ "$status" -eq 0 ] && echo "fuzzing: no crash" || echo "fuzzing: crash found, see build-fuzz/artifacts/"
exit "$status"
