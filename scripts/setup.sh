#!/usr/bin/env bash
# Installs what building and testing TESSALORAN needs on a fresh Debian 12 machine (only the
# packages that are missing), then configures and builds the program and its tests.
#
#   scripts/setup.sh [--target TARGET] [BUILD_DIR [CMAKE_OPTION...]]
#
# BUILD_DIR defaults to build/ (RelWithDebInfo, the top-level default); any further arguments go
# to cmake's configure step, e.g. scripts/setup.sh build-asan -DTESSALORAN_SANITIZE=ON. Without
# --target everything is built.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
target=()
if [[ "${1:-}" == --target ]]; then
    target=(--target "$2")
    shift 2
fi
build_dir="${1:-build}"
shift || true

packages=(
    g++ clang cmake make clang-format
    freeglut3-dev libglu1-mesa-dev libx11-dev libgl1-mesa-dri
    libgtest-dev libbenchmark-dev
    xvfb xauth xdotool x11-utils imagemagick
    python3 python3-pil python3-xlib
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg -s "$package" >/dev/null 2>&1; then
        missing+=("$package")
    fi
done

if ((${#missing[@]} > 0)); then
    echo "setup: installing ${missing[*]}"
    as_root=()
    if [[ "$(id -u)" != 0 ]]; then
        as_root=(sudo)
    fi
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends \
        "${missing[@]}"
fi

cd "$repo"
cmake -S . -B "$build_dir" "$@"
cmake --build "$build_dir" -j2 "${target[@]}"
