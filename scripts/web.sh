#!/usr/bin/env bash
# Builds TESSALORAN for the browser (WebAssembly and WebGL, with Debian's Emscripten), installing
# what that needs, then serves the site on this machine.
#
#   scripts/web.sh              build, serve on http://127.0.0.1:8000/ (or a free port) until ^C
#   scripts/web.sh --out DIR [CMAKE_OPTION...]
#                               build and only write the static site into DIR; the options go
#                               to cmake's configure step (the tests add -DTESSALORAN_WERROR=ON)
#
# The site is index.html with page.js, the icon, tessaloran.js and tessaloran.wasm beside it, all
# linked by relative paths: any static web host serves it, given the type application/wasm for
# .wasm files.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$repo/scripts/packages.sh"
out=""
options=()
case "${1:-}" in
--out)
    out="${2:?usage: scripts/web.sh [--out DIR [CMAKE_OPTION...]]}"
    options=("${@:3}")
    ;;
"") ;;
*)
    echo "usage: scripts/web.sh [--out DIR [CMAKE_OPTION...]]" >&2
    exit 2
    ;;
esac

installPackages web
webEnvironment

cd "$repo"
emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF "${options[@]}" >&2
cmake --build build-web -j2 >&2

if [[ -n "$out" ]]; then
    mkdir -p "$out"
    cp build-web/site/* "$out/"
    echo "web: the site is in $out" >&2
    exit 0
fi
exec python3 web/serve.py build-web/site 8000
