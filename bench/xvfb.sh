# Sourced by the bench scripts. start_xvfb WORK_DIR [DISPLAY_NUMBER] starts
# Xvfb, on the given display or on one it picks, sets xvfb_pid and exports
# DISPLAY; it fails if the server did not come up. The caller kills
# $xvfb_pid when it ends. SNAKE_XVFB_SCREEN sets the screen (640x480x24). -noreset: the server would otherwise reset each
# time its last client leaves and refuse a game that connects meanwhile.
start_xvfb() {
    local work="$1" number="${2:-}"
    if [ -n "$number" ]; then
        Xvfb ":$number" -screen 0 "${SNAKE_XVFB_SCREEN:-640x480x24}" -nolisten tcp -noreset 2>/dev/null &
        xvfb_pid=$!
        echo "$number" >"$work/display"
        sleep 1
    else
        # Xvfb writes the number it picked to fd 3.
        Xvfb -displayfd 3 -screen 0 "${SNAKE_XVFB_SCREEN:-640x480x24}" -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
        xvfb_pid=$!
        for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
    fi
    kill -0 "$xvfb_pid" 2>/dev/null && [ -s "$work/display" ] || return 1
    export DISPLAY=":$(head -n1 "$work/display")"
}
