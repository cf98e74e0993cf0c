#!/usr/bin/env bash
# Throughput of tessaro-cli against socat with the system's default buffer over an emulated link
# (100 Mbit/s; round trips of 0, 10 and 40 ms), 20 MB files, medians of 3. Needs root: the link
# lives in two network namespaces of its own (10.99.0.1 -> 10.99.0.2), made by delayline.py from
# the project's shared tools; nothing leaves them. About two minutes. Not part of the test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
delayline=${DELAYLINE:-../shared/tools/delayline.py}
scripts/install-deps.sh --test
scripts/build.sh -DTESSARO_BUILD_TESTS=OFF
mkdir -p build/bench
python3 "$delayline" bench --cli build/bin/tessaro-cli --reps "${REPS:-3}" --mb 20 \
  --delays 0,5,20 --rates 100 --senders tool,socatdef --out "$PWD/build/bench/wan.json"
