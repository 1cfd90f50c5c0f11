#!/usr/bin/env bash
# Makes the pictures of docs/guide.md and the animation at the top of the README again, from the
# real program.
#
#   scripts/pictures.sh [--binary PATH] [--only NAME] [--out DIR]
#
# NAME is one of start, side, shells, earth, pluto (the guide's pictures, docs/guide/NAME.png) or
# animation (docs/animation.gif). Each starts the program afresh in a private Xvfb server with
# Mesa's software renderer, as run.sh does, presses the keys that the guide gives for it with
# xdotool, waits as the guide says and saves the window. The animation is recorded with ffmpeg's
# x11grab, which samples the window at a fixed 20 frames per second while the keys are pressed, and
# is encoded as a GIF whose frames must all last 1/20 s.
#
# Without --binary the program is built first (scripts/setup.sh). ffmpeg is installed when the
# animation is made and it is missing. --only makes one file, --out writes into DIR instead of
# docs/ and docs/guide/. Planets and shells move in real time, so two runs differ a little.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$repo/scripts/xvfb.sh"
all=(start side shells earth pluto animation)
program=""
only=""
out=""
while (($# > 0)); do
    case "$1" in
    --binary)
        program="$(cd "$(dirname "$2")" && pwd)/$(basename "$2")"
        shift 2
        ;;
    --only)
        only="$2"
        shift 2
        ;;
    --out)
        out="$2"
        shift 2
        ;;
    *)
        echo "usage: scripts/pictures.sh [--binary PATH] [--only NAME] [--out DIR]" >&2
        exit 2
        ;;
    esac
done
names=("${all[@]}")
if [[ -n "$only" ]]; then
    if [[ " ${all[*]} " != *" $only "* ]]; then
        echo "pictures: no picture named '$only' (one of: ${all[*]})" >&2
        exit 2
    fi
    names=("$only")
fi

if [[ -z "$program" ]]; then
    program="$("$repo/scripts/setup.sh" --program --target tessaloran build)"
fi
if [[ " ${names[*]} " == *" animation "* ]]; then
    source "$repo/scripts/packages.sh"
    installPackages animation
fi

# Where each file goes: --out puts everything in DIR, otherwise the pictures go to docs/guide/.
target() {
    local file="$1"
    if [[ -n "$out" ]]; then
        echo "$out/$(basename "$file")"
    else
        echo "$repo/docs/$file"
    fi
}
if [[ -n "$out" ]]; then
    mkdir -p "$out"
    out="$(cd "$out" && pwd)"
else
    mkdir -p "$repo/docs/guide"
fi

work="$(mktemp -d)"
xvfb_pid=""
program_pid=""
recorder_pid=""
stopProgram() {
    stopProcess "$recorder_pid"
    stopProcess "$program_pid"
    recorder_pid=""
    program_pid=""
}
cleanup() {
    stopProgram
    stopProcess "$xvfb_pid"
    rm -rf "$work"
}
trap cleanup EXIT

startXvfb "$work" pictures

# Starts the program and waits for its window and first frames. Its output (a start-up line on
# standard error included) goes to a log, whose last line is shown if it ends early.
launch() {
    launchProgram "$program" "$work/program.log" pictures
    sleep 0.5
}

# keys KEY... presses each key as a user would; KEY*N presses it N times. Names are xdotool's:
# bracketright is ], apostrophe ', numbersign #, parenleft (, BackSpace the Backspace key.
keys() {
    local expanded=() key count i
    for key in "$@"; do
        if [[ "$key" == *"*"* ]]; then
            count="${key##*\*}"
            key="${key%\**}"
            for ((i = 0; i < count; i++)); do
                expanded+=("$key")
            done
        else
            expanded+=("$key")
        fi
    done
    # Without a window manager xdotool warns about the input focus on every key; that is noise.
    xdotool key --window "$window" --delay "${key_delay:-20}" "${expanded[@]}" \
        2> >(grep -v XGetInputFocus >&2)
}

# Saves the window as a palette PNG: the program draws five flat colours, so nothing is lost.
capture() {
    checkProgram "$work/program.log" pictures "before its picture was taken"
    import -window "$window" "$work/shot.png"
    convert "$work/shot.png" -strip -define png:exclude-chunks=date,time "PNG8:$1"
}

# --- the guide's pictures, with the keys that docs/guide.md gives for each ----------------------

picture_start() {
    launch
    sleep 5
    capture "$1"
}

picture_side() {
    launch
    keys a*45 s*17 z*14 6*7 bracketright*3
    sleep 12
    capture "$1"
}

picture_shells() {
    launch
    keys x*27 w*10 bracketright*2
    sleep 6
    capture "$1"
}

picture_earth() {
    launch
    keys numbersign apostrophe z*28 bracketright*5
    sleep 3
    capture "$1"
}

picture_pluto() {
    launch
    keys d*23 s*22 parenleft x*66 BackSpace 8*4
    sleep 1
    capture "$1"
}

# --- the animation -------------------------------------------------------------------------------

# About 11 s: light shells spread past the inner orbits at 100 times real time, the planets race
# round at 10^6 times, then the camera closes in on the spinning Sun.
animation() {
    local recording="$work/animation.mkv" fps=20
    launch
    keys x*26 w*5
    ffmpeg -hide_banner -loglevel error -f x11grab -draw_mouse 0 -framerate "$fps" \
        -video_size 1024x768 -i "$DISPLAY+0,0" -t 12 -c:v ffv1 "$recording" &
    recorder_pid=$!
    sleep 0.8 # the first frames come late while the recorder starts; they are cut below
    keys bracketright*2
    sleep 4
    keys bracketright*4
    sleep 3.5
    key_delay=25 keys z*40
    wait "$recorder_pid"
    recorder_pid=""
    ffmpeg -hide_banner -loglevel error -y -ss 0.6 -i "$recording" -vf \
        "split[a][b];[a]palettegen=max_colors=16:stats_mode=full[p];[b][p]paletteuse=dither=none:diff_mode=rectangle" \
        -loop 0 "$work/animation.gif"
    # x11grab stamps each frame with the time it was taken, and the GIF's delays come from those
    # stamps: a late or dropped frame shows up as a delay other than 1/fps.
    local delays
    delays="$(identify -format '%T\n' "$work/animation.gif" | sort -n | uniq -c |
        awk '{printf "%s%d x %d/100 s", (NR > 1 ? ", " : ""), $1, $2}')"
    if [[ "$delays" != *" x $((100 / fps))/100 s" || "$delays" == *,* ]]; then
        echo "pictures: the animation's frames are not evenly spaced ($delays); the machine" \
            "was too busy, run it again" >&2
        exit 1
    fi
    echo "pictures:   $delays, $(stat -c %s "$work/animation.gif") bytes"
    mv "$work/animation.gif" "$1"
}

for name in "${names[@]}"; do
    started=$SECONDS
    if [[ "$name" == animation ]]; then
        file="$(target animation.gif)"
        animation "$file"
    else
        file="$(target "guide/$name.png")"
        "picture_$name" "$file"
    fi
    stopProgram
    echo "pictures: ${file#"$repo/"} ($((SECONDS - started)) s)"
done
