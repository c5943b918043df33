#!/usr/bin/env bash
# The real game's pace under an X server (Xvfb): for each speed the mean and
# worst pass period against SpeedDelay and the CPU use of the game process,
# the passes per second at Fastest, the start-up time to the first painted
# window, and the resident memory of build/game/snake during a game.
# Not a test: nothing here passes or fails. Needs a build with the benchmarks
# (for bench/pace_driver), Xvfb and xdotool.
#
#   bash bench/pace.sh                      # uses build/
#   SNAKE_BUILD=build-x SNAKE_PACE_SECONDS=5 bash bench/pace.sh
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${SNAKE_BUILD:-$root/build}"
[[ "$build" = /* ]] || build="$root/$build"
seconds="${SNAKE_PACE_SECONDS:-20}"
driver="$build/bench/pace_driver"
game_dir="$build/game"

for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || { echo "pace.sh: $tool is not installed" >&2; exit 1; }
done
for f in "$driver" "$game_dir/snake"; do
    [ -x "$f" ] || { echo "pace.sh: $f is missing; build first" >&2; exit 1; }
done

work="$(mktemp -d)"
xvfb_pid=""
game_pid=""
cleanup() {
    [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# shellcheck source=tests/tools/xvfb.sh
. "$root/tests/tools/xvfb.sh"
start_xvfb "$work" || { echo "pace.sh: Xvfb did not start" >&2; exit 1; }
export QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy

echo "== Machine"
echo "date: $(date -u '+%Y-%m-%d %H:%M UTC')"
echo "cores: $(nproc)"
lscpu | grep 'Model name' | sed 's/  */ /g'
echo "load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "display: Xvfb $DISPLAY, no window manager; sound: SDL dummy driver"

echo "== Pass period, ${seconds} s per speed (one-player game, open field)"
for speed in 0 1 2 3 4; do
    "$driver" --speed "$speed" --seconds "$seconds" 2>/dev/null
done

echo "== Start-up: process start to the first paint of the window (7 runs)"
runs=()
for _ in 1 2 3 4 5 6 7; do
    line="$(SNAKE_PACE_T0_NS="$(date +%s%N)" "$driver" --startup 2>/dev/null)"
    runs+=("${line#startup_ms=}")
done
echo "runs_ms: ${runs[*]}"
printf '%s\n' "${runs[@]}" | sort -n | awk '{v[NR]=$1} END {printf "startup_median_ms=%s\n", v[int((NR+1)/2)]}'

echo "== Resident memory of the real game during a game (F2)"
cp -a "$game_dir" "$work/game"
rm -f "$work/game/scores.dat"
"$work/game/snake" 2>/dev/null &
game_pid=$!
window="$(timeout 15 xdotool search --sync --onlyvisible --name '^Snake Game - By Quarvel$' | head -n1)"
xdotool windowfocus --sync "$window"
rss_idle="$(awk '/^VmRSS/ {print $2}' "/proc/$game_pid/status")"
xdotool key F2
max_rss=0
for _ in $(seq 10); do
    sleep 0.5
    rss="$(awk '/^VmRSS/ {print $2}' "/proc/$game_pid/status")"
    [ "$rss" -gt "$max_rss" ] && max_rss="$rss"
done
hwm="$(awk '/^VmHWM/ {print $2}' "/proc/$game_pid/status")"
echo "rss_idle_kb=$rss_idle rss_playing_max_kb=$max_rss peak_hwm_kb=$hwm ($(awk -v k="$max_rss" 'BEGIN {printf "%.1f", k / 1024}') MiB playing)"
xdotool key ctrl+q
wait "$game_pid" && echo "game ended with status 0 on Ctrl+Q" || echo "game ended with status $?"
game_pid=""
