# Sourced by the scripts that need a display: startXvfb WORK_DIR NAME starts a private Xvfb
# server, sets xvfb_pid and exports DISPLAY; stopProcess PID ends it, or the program, at the end.

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
