#!/usr/bin/env bash
# Builds TESSALORAN for the browser (WebAssembly and WebGL, with Debian's Emscripten), installing
# what that needs, then serves the site from this machine.
#
#   scripts/web.sh              build, serve on http://127.0.0.1:8000/ (or a free port) until ^C
#   scripts/web.sh --host ADDRESS
#                               the same, served on ADDRESS, for other devices: this machine's
#                               address on the network, or 0.0.0.0 for all of its networks;
#                               prints the address to open
#   scripts/web.sh --out DIR [CMAKE_OPTION...]
#                               build and only write the static site into DIR; the options go
#                               to cmake's configure step (the tests add -DTESSALORAN_WERROR=ON)
#   --build-dir DIR             build in DIR instead of build-web/ (a second build type)
#
# The site is index.html with its scripts, the web app manifest and the icons, tessaloran.js (with
# the WebAssembly in it) and service-worker.js, all linked by relative paths: any static web host
# serves it, and it opens from a folder too (file://).
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$repo/scripts/packages.sh"
usage="usage: scripts/web.sh [--host ADDRESS] [--out DIR] [--build-dir DIR] [CMAKE_OPTION...]"
out=""
host=127.0.0.1
build=build-web
options=()
while (($# > 0)); do
    case "$1" in
    --out) out="${2:?$usage}" && shift 2 ;;
    --host) host="${2:?$usage}" && shift 2 ;;
    --build-dir) build="${2:?$usage}" && shift 2 ;;
    -*) options+=("$1") && shift ;;
    *) echo "$usage" >&2 && exit 2 ;;
    esac
done

installPackages web
webEnvironment

cd "$repo"
# The page's QR codes come from an npm package (package.json, pinned by package-lock.json), which
# the build copies into the site.
if [[ ! -f node_modules/qrcode-generator/dist/qrcode.js ]]; then
    installNpm
    npm ci --no-audit --no-fund >&2
fi
emcmake cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF "${options[@]}" >&2
cmake --build "$build" -j2 >&2

if [[ -n "$out" ]]; then
    mkdir -p "$out"
    # A site written before the WebAssembly went into the script has it as a file of its own.
    rm -f "$out/tessaloran.wasm"
    cp -R "$build/site/." "$out/"
    echo "web: the site is in $out" >&2
    exit 0
fi
exec python3 web/serve.py "$build/site" 8000 "$host"
