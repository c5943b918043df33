#!/usr/bin/env bash
# Runs a command with DISPLAY on an X server of its own with a screen of
# SIZE (such as 1400x1400), and returns its exit status.
#   on_xvfb.sh SIZE COMMAND [ARGS...]
set -euo pipefail
size="$1"
shift
exec 3< <(Xvfb -displayfd 1 -screen 0 "${size}x24" -nolisten tcp -noreset 2>/dev/null & echo "pid $!"; wait)
read -r _ xvfb <&3
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
display=""
read -r -t 30 display <&3 || true
[ -n "$display" ] || { echo "on_xvfb.sh: Xvfb did not start" >&2; exit 1; }
DISPLAY=":$display" "$@"
