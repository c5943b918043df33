#!/usr/bin/env bash
# Two builds of the game side by side, run alternately in one session so that
# the machine's load falls on both alike: CPU and wake-ups at Medium during a
# one-player game, CPU and wake-ups on the idle title screen, and the start-up
# time to the first paint. CPU comes from /proc/PID/task/*/schedstat (ns), as
# the figures are well below 1 % of a core. Not a test: nothing passes or fails.
# Needs both builds with the benchmarks (bench/pace_driver), and Xvfb.
#
#   bash bench/pace_compare.sh BUILD_A BUILD_B
set -euo pipefail

[ $# -eq 2 ] || { echo "usage: pace_compare.sh BUILD_A BUILD_B" >&2; exit 2; }
builds=("$1" "$2")
for b in "${builds[@]}"; do
    for f in "$b/bench/pace_driver" "$b/game/snake"; do
        [ -x "$f" ] || { echo "pace_compare.sh: $f is missing; build first" >&2; exit 1; }
    done
done
command -v Xvfb >/dev/null || { echo "pace_compare.sh: Xvfb is not installed" >&2; exit 1; }

work="$(mktemp -d)"
xvfb_pid=""
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || { echo "pace_compare.sh: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")" QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy

# Nanoseconds on a CPU and voluntary context switches, all threads of a process.
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{s += $1} END {print s + 0}'; }
wakeups() { cat /proc/"$1"/task/*/status 2>/dev/null | awk '/^voluntary_ctxt_switches/ {s += $2} END {print s + 0}'; }
label() { [ "$1" = "${builds[0]}" ] && echo A || echo B; }

echo "A = ${builds[0]}"
echo "B = ${builds[1]}"
echo "load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"

echo "== Medium, one-player game: 10 s of play after a 3.5 s start"
for run in 1 2 3; do
    for b in "${builds[@]}"; do
        "$b/bench/pace_driver" --speed 2 --seconds 14 >"$work/pace" 2>/dev/null &
        pid=$!
        sleep 3.5
        c0=$(cpu_ns "$pid"); w0=$(wakeups "$pid"); t0=$(date +%s%N)
        sleep 10
        c1=$(cpu_ns "$pid"); w1=$(wakeups "$pid"); t1=$(date +%s%N)
        wait "$pid" || true
        awk -v l="$(label "$b")" -v r="$run" -v c=$((c1 - c0)) -v w=$((w1 - w0)) -v t=$((t1 - t0)) \
            -v m="$(grep -o 'mean_ms=[^ ]*' "$work/pace")" \
            'BEGIN {printf "%s run %d: cpu=%.3f%% wakeups_per_s=%.1f %s\n", l, r, 100 * c / t, w * 1e9 / t, m}'
    done
done

echo "== Title screen of the game, 10 s after the first 2 s"
for run in 1 2; do
    for b in "${builds[@]}"; do
        "$b/game/snake" 2>/dev/null &
        pid=$!
        sleep 2
        c0=$(cpu_ns "$pid"); w0=$(wakeups "$pid")
        sleep 10
        c1=$(cpu_ns "$pid"); w1=$(wakeups "$pid")
        echo "$(label "$b") run $run: cpu_ns=$((c1 - c0)) wakeups=$((w1 - w0)) threads=$(ls /proc/"$pid"/task | wc -l)"
        kill "$pid"
        wait "$pid" 2>/dev/null || true
    done
done

echo "== Start-up: process start to the first paint (9 runs each, alternating)"
for b in "${builds[@]}"; do : >"$work/startup_$(label "$b")"; done
for _ in $(seq 9); do
    for b in "${builds[@]}"; do
        line="$(SNAKE_PACE_T0_NS="$(date +%s%N)" "$b/bench/pace_driver" --startup 2>/dev/null)"
        echo "${line#startup_ms=}" >>"$work/startup_$(label "$b")"
    done
done
for l in A B; do
    echo "$l runs_ms: $(tr '\n' ' ' <"$work/startup_$l")"
    sort -n "$work/startup_$l" | awk -v l="$l" '{v[NR] = $1} END {printf "%s startup_median_ms=%s\n", l, v[int((NR + 1) / 2)]}'
done
