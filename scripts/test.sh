#!/usr/bin/env bash
# Builds and runs every test, with warnings as errors: unit and end-to-end tests in build/ (the
# system compiler, GCC on Debian; the benchmarks are built there too, so that they keep
# compiling), with the browser tests against the web build in build/site, the unit tests again in
# build-asan/ under AddressSanitizer and UndefinedBehaviorSanitizer, and once more in
# build-clang/ built with Clang. Stops at the first failure; the last lines are CTest's summary.
# The README's own commands are among the end-to-end tests (tests/e2e/test_readme_commands.py:
# scripts/run.sh and scripts/pictures.sh with no display), and the browser tests' site is built by
# scripts/web.sh itself, as a user builds it.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"

# The browser build, and what drives it: Debian's Chromium, Firefox ESR and WebKitGTK, and the
# pinned puppeteer-core. TESSALORAN_BROWSER_TESTS=0 leaves out the web build and the browser tests
# (scripts/test-on-debian.sh does so under emulation, where they would take hours).
site=(-DTESSALORAN_WEB_SITE=)
if [[ "${TESSALORAN_BROWSER_TESTS:-1}" != 0 ]]; then
    source scripts/packages.sh
    installPackages browser
    installNpm
    npm ci --no-audit --no-fund
    scripts/web.sh --out build/site -DTESSALORAN_WERROR=ON
    site=(-DTESSALORAN_WEB_SITE="$repo/build/site")
fi

scripts/setup.sh build -DTESSALORAN_WERROR=ON -DTESSALORAN_BENCHMARKS=ON "${site[@]}"
ctest --test-dir build --output-on-failure -j2

CXX=clang++ scripts/setup.sh build-clang -DTESSALORAN_WERROR=ON -DTESSALORAN_BENCHMARKS=OFF
ctest --test-dir build-clang --output-on-failure -j2 -L unit

scripts/setup.sh build-asan -DTESSALORAN_WERROR=ON -DTESSALORAN_SANITIZE=ON \
    -DTESSALORAN_BENCHMARKS=OFF
ctest --test-dir build-asan --output-on-failure -j2 -L unit
