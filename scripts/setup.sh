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
# A BUILD_DIR configured before keeps its own BUILD_TESTING under --program, so that starting the
# program after the tests were built does not take the tests away.
#
# What it installs and builds is reported on standard error. Standard output gets one line, the
# desktop program's path, once it is built: program="$(scripts/setup.sh --program ...)".
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

testing_option=(-DBUILD_TESTING="$testing")
if [[ "$testing" == OFF && -f "$build_dir/CMakeCache.txt" ]]; then
    testing_option=()
fi

cd "$repo"
{
    installPackages "${kinds[@]}"
    cmake -S . -B "$build_dir" "${testing_option[@]}" "$@"
    cmake --build "$build_dir" -j2 "${target[@]}"
} >&2

# CMake writes the program's path when it generates the build (desktop/CMakeLists.txt).
if [[ -f "$build_dir/program-path" ]]; then
    program="$(cat "$build_dir/program-path")"
    if [[ -x "$program" ]]; then
        echo "$program"
    fi
fi
