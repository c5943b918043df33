#!/usr/bin/env bash
# The one X server of the tests and the benchmarks: Xvfb with a screen of
# SNAKE_XVFB_SCREEN (640x480x24), on a display it picks or on the number
# given. -noreset: the server would otherwise reset each time its last
# client leaves and refuse a game that connects meanwhile.
#
# Sourced: start_xvfb WORK_DIR [DISPLAY_NUMBER] starts it, sets xvfb_pid and
# exports DISPLAY; it fails if the server did not come up. The caller kills
# $xvfb_pid when it ends.
# Run: xvfb.sh COMMAND [ARGS...] runs COMMAND with DISPLAY on a server of its
# own and returns its exit status; without a COMMAND it prints the display
# and keeps the server until its standard input closes.
start_xvfb() {
    local work="$1" number="${2:-}" screen="${SNAKE_XVFB_SCREEN:-640x480x24}"
    if [ -n "$number" ]; then
        Xvfb ":$number" -screen 0 "$screen" -nolisten tcp -noreset 2>/dev/null &
        xvfb_pid=$!
        echo "$number" >"$work/display"
        for _ in $(seq 600); do [ -S "/tmp/.X11-unix/X$number" ] && break; sleep 0.05; done
    else
        # Xvfb writes the number it picked to fd 3.
        Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
        xvfb_pid=$!
        for _ in $(seq 600); do [ -s "$work/display" ] && break; sleep 0.05; done
    fi
    kill -0 "$xvfb_pid" 2>/dev/null && [ -s "$work/display" ] || return 1
    DISPLAY=":$(head -n1 "$work/display")"
    export DISPLAY
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -euo pipefail
    work="$(mktemp -d)"
    xvfb_pid=""
    trap '[ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null; rm -rf "$work"' EXIT
    start_xvfb "$work" || { echo "xvfb.sh: Xvfb did not start" >&2; exit 1; }
    if [ $# -eq 0 ]; then
        echo "$DISPLAY"
        cat >/dev/null
    else
        "$@"
    fi
fi
