#!/usr/bin/env bash
# Builds TESSALORAN and starts it, installing only what building and running it needs (no test
# tools).
#
#   scripts/run.sh [--screenshot PATH] [--seconds N]
#
# With a display (DISPLAY set, no --screenshot) it simply runs the program. Without one, or when
# --screenshot is given, it starts a private Xvfb server, lets the program run for N seconds
# (default 4), saves a PNG of its window to PATH (default build/screenshots/run-<time>.png), prints
# the PNG's path and stops the program and the server.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$repo/scripts/xvfb.sh"
screenshot=""
seconds=4
while (($# > 0)); do
    case "$1" in
    --screenshot)
        screenshot="$2"
        shift 2
        ;;
    --seconds)
        seconds="$2"
        shift 2
        ;;
    *)
        echo "usage: scripts/run.sh [--screenshot PATH] [--seconds N]" >&2
        exit 2
        ;;
    esac
done

program="$("$repo/scripts/setup.sh" --program --target tessaloran build)"

if [[ -n "${DISPLAY:-}" && -z "$screenshot" ]]; then
    exec "$program"
fi

if [[ -z "$screenshot" ]]; then
    screenshot="$repo/build/screenshots/run-$(date +%Y%m%d-%H%M%S).png"
fi
mkdir -p "$(dirname "$screenshot")"
screenshot="$(cd "$(dirname "$screenshot")" && pwd)/$(basename "$screenshot")"

work="$(mktemp -d)"
xvfb_pid=""
program_pid=""
cleanup() {
    stopProcess "$program_pid"
    stopProcess "$xvfb_pid"
    rm -rf "$work"
}
trap cleanup EXIT

startXvfb "$work" run
launchProgram "$program" "$work/program.log" run
sleep "$seconds"
checkProgram "$work/program.log" run "after $seconds s"
if ! import -window "$window" "$screenshot" 2>"$work/import.log"; then
    echo "run: could not save the window as $screenshot: $(tail -n1 "$work/import.log")" >&2
    exit 1
fi
echo "$screenshot"
