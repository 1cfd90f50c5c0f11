#!/usr/bin/env bash
# Builds the Debian package of TESSALORAN: the program built for release with Debian's compiler
# and linker flags for packages (every hardening feature on), installed under /usr and packed by
# CPack's DEB generator. The last line printed is the path of the .deb.
#
#   scripts/package.sh [--build-dir DIR]
#
# DIR defaults to build-deb/; the package is written there. Installs what building the package
# needs when it is missing; the tests and benchmarks are not built.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$repo/scripts/packages.sh"
build_dir="$repo/build-deb"
while (($# > 0)); do
    case "$1" in
    --build-dir)
        build_dir="$(realpath -m "$2")"
        shift 2
        ;;
    *)
        echo "usage: scripts/package.sh [--build-dir DIR]" >&2
        exit 2
        ;;
    esac
done

installPackages build package >&2

# Debian's flags for packages, the preprocessor's (_FORTIFY_SOURCE) going in with the compiler's.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxx_flags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
linker_flags="$(dpkg-buildflags --get LDFLAGS)"

cmake -S "$repo" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DCMAKE_CXX_FLAGS="$cxx_flags" -DCMAKE_EXE_LINKER_FLAGS="$linker_flags" \
    -DBUILD_TESTING=OFF -DTESSALORAN_BENCHMARKS=OFF >&2
cmake --build "$build_dir" -j2 >&2
(cd "$build_dir" && cpack -G DEB) | tee "$build_dir/cpack.log" >&2
# CPack names the file it wrote: "CPack: - package: PATH generated."
sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p' "$build_dir/cpack.log"
