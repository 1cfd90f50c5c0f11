#!/usr/bin/env bash
# Builds and runs every test: unit and end-to-end tests in build/, then the unit tests again in
# build-asan/ under AddressSanitizer and UndefinedBehaviorSanitizer. Stops at the first failure;
# the last lines are CTest's summary.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"

scripts/setup.sh build
ctest --test-dir build --output-on-failure -j2

scripts/setup.sh build-asan -DTESSALORAN_SANITIZE=ON -DTESSALORAN_BENCHMARKS=OFF
ctest --test-dir build-asan --output-on-failure -j2 -L unit
