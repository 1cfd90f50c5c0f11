#!/usr/bin/env bash
# Builds and runs every test, with warnings as errors: unit and end-to-end tests in build/ (the
# system compiler, GCC on Debian; the benchmarks are built there too, so that they keep
# compiling), the unit tests again in build-asan/ under AddressSanitizer and
# UndefinedBehaviorSanitizer, and once more in build-clang/ built with Clang. Stops at the first
# failure; the last lines are CTest's summary.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"

scripts/setup.sh build -DTESSALORAN_WERROR=ON -DTESSALORAN_BENCHMARKS=ON
ctest --test-dir build --output-on-failure -j2

CXX=clang++ scripts/setup.sh build-clang -DTESSALORAN_WERROR=ON -DTESSALORAN_BENCHMARKS=OFF
ctest --test-dir build-clang --output-on-failure -j2 -L unit

scripts/setup.sh build-asan -DTESSALORAN_WERROR=ON -DTESSALORAN_SANITIZE=ON \
    -DTESSALORAN_BENCHMARKS=OFF
ctest --test-dir build-asan --output-on-failure -j2 -L unit
