# Sourced by the scripts that install what they need: the Debian packages of each kind of work,
# and installPackages KIND... which installs those of the named kinds that are missing.

# Building the program: a C++ compiler, CMake, and the freeglut, GLU, GL and X11 development
# files (the start-up line probe draws through X11 and GLX itself).
build_packages=(g++ cmake make freeglut3-dev libglu1-mesa-dev libx11-dev)
# Running it, also where there is no display: Mesa's renderers, a virtual X server, xdotool to
# find the window and ImageMagick to save a picture of it.
run_packages=(libgl1-mesa-dri xvfb xauth xdotool imagemagick)
# Making the Debian package: dpkg-buildflags and dpkg-shlibdeps, and file, which CPack uses to
# find the programs whose libraries dpkg-shlibdeps looks up.
package_packages=(dpkg-dev file)
# Making the README's animation (scripts/pictures.sh): ffmpeg records the window at a fixed rate.
animation_packages=(ffmpeg)
# Building the browser site (scripts/web.sh): Debian's Emscripten with CMake, rsvg-convert to draw
# the app's icons from the desktop icon's artwork, and Python to serve it.
web_packages=(emscripten cmake make librsvg2-bin python3)
# Testing the site in real browsers: Debian's Chromium and Firefox ESR, driven through
# puppeteer-core from npm (package.json, pinned by package-lock.json), and npm where the machine
# has none of its own; WebKitGTK's MiniBrowser, driven through its WebDriver.
browser_packages=(chromium firefox-esr webkit2gtk-driver fonts-dejavu-core)
# Testing and benchmarking, on top of the three kinds above: Clang for the second compiler,
# GoogleTest, Google Benchmark, the end-to-end tests' Python modules, the validators of the
# package's data files, and zbarimg to read the Share panel's QR code.
test_packages=(
    clang clang-format libgtest-dev libbenchmark-dev
    x11-utils python3 python3-pil python3-xlib zbar-tools
    desktop-file-utils appstream groff-base
)
# The arm64 cross compiler for the test that compiles everything for a Raspberry Pi as well, on
# any machine that is not arm64 itself.
if [[ "$(dpkg --print-architecture)" != arm64 ]]; then
    test_packages+=(g++-aarch64-linux-gnu)
fi

# Debian's Emscripten runs its JavaScript tools with Debian's modules (acorn); a Node.js that
# does not come from Debian looks for them only where NODE_PATH says.
webEnvironment() {
    export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"
}

# npm for the browser tests' puppeteer-core. Debian's npm conflicts with a Node.js from elsewhere,
# which brings its own npm: install Debian's only where there is none.
installNpm() {
    if ! command -v npm >/dev/null; then
        npm_packages=(npm)
        installPackages npm
    fi
}

installPackages() {
    local kind list wanted=() missing=() package
    for kind in "$@"; do
        list="${kind}_packages[@]"
        wanted+=("${!list}")
    done
    for package in "${wanted[@]}"; do
        if ! dpkg -s "$package" >/dev/null 2>&1; then
            missing+=("$package")
        fi
    done
    if ((${#missing[@]} == 0)); then
        return
    fi
    echo "setup: installing ${missing[*]}"
    local as_root=()
    if [[ "$(id -u)" != 0 ]]; then
        as_root=(sudo)
    fi
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends \
        "${missing[@]}"
}
