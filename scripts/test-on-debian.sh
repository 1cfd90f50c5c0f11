#!/usr/bin/env bash
# Runs the test command on a fresh Debian release: builds a minimal root of RELEASE with
# debootstrap, adds git, makes a clean clone of this checkout's HEAD there and runs
# scripts/test.sh in it as root, which installs everything else it needs. Repeats the check that
# the project builds and passes its tests on a machine that starts with nothing.
#
#   sudo scripts/test-on-debian.sh RELEASE [--arch ARCH] [--keep] [--command COMMAND]
#
# --command runs COMMAND (a bash command line, in the clone) instead of scripts/test.sh, for
# instance the README's first command as a newcomer runs it: --command scripts/run.sh.
# RELEASE is bookworm (Debian 12) or trixie (Debian 13). The root goes to a new folder under
# ${TMPDIR:-/var/tmp} and is removed at the end unless --keep is given.
#
# --arch makes a root of another Debian architecture (arm64, as on a Raspberry Pi), run through
# qemu-user-static, which is installed here with the kernel's binfmt_misc registration if missing.
# Under emulation every program runs many times slower, so the run inside gets
# TESSALORAN_BROWSER_TESTS=0 (scripts/test.sh builds neither the web site nor its browser tests:
# an emulated Emscripten and three emulated browsers would take hours), GALLIUM_DRIVER=softpipe
# (Mesa's llvmpipe compiles its shaders with an emulated LLVM, minutes at start-up, softpipe starts
# in seconds), TESSALORAN_TIME_SCALE=10 (the end-to-end tests wait ten times longer) and
# ASAN_OPTIONS=detect_leaks=0: LeakSanitizer stops the program's threads through ptrace, which
# qemu-user does not give, and fails every sanitized program at its exit; AddressSanitizer's and
# UndefinedBehaviorSanitizer's checks still run.
#
# Needs root (debootstrap, chroot and bind mounts) and a Debian mirror (DEBIAN_MIRROR, default
# http://deb.debian.org/debian).
# Exits with the test command's status.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
release="${1:-}"
keep=false
command=scripts/test.sh
arch="$(dpkg --print-architecture)"
usage="usage: scripts/test-on-debian.sh bookworm|trixie [--arch ARCH] [--keep] [--command COMMAND]"
shift || true
while (($# > 0)); do
    case "$1" in
    --keep)
        keep=true
        shift
        ;;
    --arch)
        arch="${2:?$usage}"
        shift 2
        ;;
    --command)
        command="${2:?$usage}"
        shift 2
        ;;
    *)
        echo "$usage" >&2
        exit 2
        ;;
    esac
done
case "$release" in
bookworm | trixie) ;;
*)
    echo "$usage" >&2
    exit 2
    ;;
esac
if [[ "$(id -u)" != 0 ]]; then
    echo "test-on-debian: run as root (debootstrap and chroot need it)" >&2
    exit 2
fi
mirror="${DEBIAN_MIRROR:-http://deb.debian.org/debian}"

host_packages=(debootstrap)
emulated=()
if [[ "$arch" != "$(dpkg --print-architecture)" ]]; then
    host_packages+=(qemu-user-static binfmt-support)
    emulated=(TESSALORAN_BROWSER_TESTS=0 GALLIUM_DRIVER=softpipe TESSALORAN_TIME_SCALE=10
        ASAN_OPTIONS=detect_leaks=0)
fi
missing=()
for package in "${host_packages[@]}"; do
    dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if ((${#missing[@]} > 0)); then
    DEBIAN_FRONTEND=noninteractive apt-get update
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi
if ((${#emulated[@]} > 0)); then
    # The kernel runs the root's programs through qemu once qemu's formats are registered with
    # binfmt_misc (a container may not have it mounted).
    if ! mountpoint -q /proc/sys/fs/binfmt_misc; then
        mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
    fi
    update-binfmts --enable >/dev/null 2>&1 || true
fi

root="$(mktemp -d "${TMPDIR:-/var/tmp}/tessaloran-$release-$arch.XXXXXX")"
mounts=()
cleanup() {
    for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
        umount "${mounts[i]}" 2>/dev/null || umount -l "${mounts[i]}" || true
    done
    if [[ "$keep" == true ]]; then
        echo "test-on-debian: the root is kept in $root" >&2
    else
        rm -rf --one-file-system "$root"
    fi
}
trap cleanup EXIT

echo "test-on-debian: debootstrap $release ($arch) into $root" >&2
debootstrap --variant=minbase --arch="$arch" "$release" "$root" "$mirror" >"$root.debootstrap.log" 2>&1 || {
    tail -n 20 "$root.debootstrap.log" >&2
    exit 1
}
rm -f "$root.debootstrap.log"
for point in proc dev dev/pts dev/shm; do
    mount --bind "/$point" "$root/$point"
    mounts+=("$root/$point")
done
cp /etc/resolv.conf "$root/etc/resolv.conf"

# npm inside the root must trust the certificate authorities this machine trusts (a proxy's own
# among them): the host's bundle goes in beside the root's, and Node.js reads it as extra.
host_ca="${NODE_EXTRA_CA_CERTS:-${SSL_CERT_FILE:-/etc/ssl/certs/ca-certificates.crt}}"
extra_ca=()
if [[ -r "$host_ca" ]]; then
    cp "$host_ca" "$root/etc/host-ca-certificates.crt"
    extra_ca=(NODE_EXTRA_CA_CERTS=/etc/host-ca-certificates.crt)
fi

inside() {
    chroot "$root" /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        HOME=/root LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive CI="${CI:-}" "${extra_ca[@]}" \
        "${emulated[@]}" "$@"
}

echo "test-on-debian: installing git" >&2
inside apt-get update >/dev/null
inside apt-get install -y --no-install-recommends git ca-certificates >/dev/null
git clone --quiet --no-local "$repo" "$root/root/tessaloran"
echo "test-on-debian: $(git -C "$root/root/tessaloran" log -1 --format='%h %s')" >&2

echo "test-on-debian: $command on $release ($arch${emulated:+, emulated})" >&2
status=0
inside /bin/bash -c "cd /root/tessaloran && $command" || status=$?
echo "test-on-debian: $release ($arch) finished with status $status" >&2
exit "$status"
