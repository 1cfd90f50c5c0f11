# Sourced by the scripts that need a display: startXvfb WORK_DIR NAME starts a private Xvfb
# server, sets xvfb_pid and exports DISPLAY; launchProgram starts the program in it and waits for
# its window; stopProcess PID ends the program or the server at the end. Each failure ends the
# script with one line on standard error that says what went wrong, prefixed with NAME.

startXvfb() {
    local work="$1" name="$2"
    # -displayfd picks a free display number and writes it to the given descriptor once ready;
    # -noreset keeps the server as it is when one program ends and the next one connects.
    Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp -noreset >"$work/display" 2>"$work/xvfb.log" &
    xvfb_pid=$!
    for _ in $(seq 100); do
        if [[ -s "$work/display" ]] && grep -q '^[0-9]' "$work/display"; then
            break
        fi
        if ! kill -0 "$xvfb_pid" 2>/dev/null; then
            cat "$work/xvfb.log" >&2
            echo "$name: Xvfb did not start" >&2
            exit 1
        fi
        sleep 0.1
    done
    export DISPLAY=":$(head -n1 "$work/display")"
}

# Ends a background process of the script if it still runs (an empty PID is ignored).
stopProcess() {
    local pid="$1"
    if [[ -n "$pid" ]] && kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
}

# launchProgram PROGRAM LOG NAME starts the program with Mesa's software renderer, its output
# going to LOG, and waits up to 20 s for its window: sets program_pid and window.
launchProgram() {
    local program="$1" log="$2" name="$3" deadline=$((SECONDS + 20))
    if [[ ! -x "$program" ]]; then
        echo "$name: the build made no program${program:+ at $program}" >&2
        exit 1
    fi
    LIBGL_ALWAYS_SOFTWARE=1 "$program" >"$log" 2>&1 &
    program_pid=$!
    window=""
    while [[ -z "$window" ]]; do
        window="$(xdotool search --name '^TESSALORAN' 2>/dev/null | head -n1)" || true
        if [[ -z "$window" ]]; then
            checkProgram "$log" "$name" "before its window opened"
            if ((SECONDS >= deadline)); then
                echo "$name: the program's window did not open within 20 s" >&2
                exit 1
            fi
            sleep 0.1
        fi
    done
}

# checkProgram LOG NAME WHEN ends the script if the program has ended, with its exit status and
# the last line it printed.
checkProgram() {
    local log="$1" name="$2" when="$3" status=0 last
    if kill -0 "$program_pid" 2>/dev/null; then
        return
    fi
    wait "$program_pid" || status=$?
    program_pid=""
    last="$(tail -n1 "$log" 2>/dev/null || true)"
    echo "$name: the program ended with exit status $status $when${last:+: $last}" >&2
    exit 1
}
