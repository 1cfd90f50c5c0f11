#!/usr/bin/env bash
# Installs what TESSALORAN needs on a fresh Debian 12 or 13 machine (only the packages that are
# missing), then configures and builds it.
#
#   scripts/setup.sh [--program] [--target TARGET] [BUILD_DIR [CMAKE_OPTION...]]
#
# By default it installs everything the tests need and builds the program with its tests. With
# --program it installs only what building and running the program needs and leaves the tests
# out (BUILD_TESTING=OFF). BUILD_DIR defaults to build/ (RelWithDebInfo, the top-level default);
# any further arguments go to cmake's configure step, e.g.
# scripts/setup.sh build-asan -DTESSALORAN_SANITIZE=ON. Without --target everything is built.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$repo/scripts/packages.sh"
kinds=(build run package test)
testing=ON
if [[ "${1:-}" == --program ]]; then
    kinds=(build run)
    testing=OFF
    shift
fi
target=()
if [[ "${1:-}" == --target ]]; then
    target=(--target "$2")
    shift 2
fi
build_dir="${1:-build}"
shift || true

installPackages "${kinds[@]}"

cd "$repo"
cmake -S . -B "$build_dir" -DBUILD_TESTING="$testing" "$@"
cmake --build "$build_dir" -j2 "${target[@]}"
