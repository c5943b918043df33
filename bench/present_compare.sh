#!/usr/bin/env bash
# Two builds of the game side by side on one X server (Xvfb), in the same
# run, alternating: the CPU share of the game process (all threads, the main
# thread and SDL's audio thread apart) and of the X server in the busiest
# game (two players, four computer snakes) at Medium, as medians and ratios;
# instructions per pass under callgrind; wake-ups of the title screen and of
# a paused game; the pass period against SpeedDelay at every timed speed;
# and the start-up time to the first paint.
# Not a test: nothing here passes or fails. Needs Xvfb, and valgrind for the
# instruction counts.
#
#   bash bench/present_compare.sh BASE_BUILD [NEW_BUILD]     # NEW_BUILD: build/
#
# Both builds need bench/pace_driver from the same pace_driver.cpp. To make
# a baseline build of an older commit with today's driver:
#
#   git worktree add --detach ../snake-base COMMIT
#   cp bench/pace_driver.cpp bench/CMakeLists.txt ../snake-base/bench/
#   cmake -S ../snake-base -B ../snake-base/build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
#   cmake --build ../snake-base/build --target snake pace_driver
#
# Knobs: SNAKE_COMPARE_RUNS (5 runs of each build), SNAKE_COMPARE_SECONDS
# (20 s per run), SNAKE_COMPARE_DISPLAY (a display number; default: Xvfb
# picks one), SNAKE_COMPARE_CALLGRIND=0 to skip valgrind,
# SNAKE_COMPARE_SOUND=pulse to play the sounds into a private PulseAudio
# server with a null sink, as on a desktop (needs pulseaudio), and measure
# that server too; by default SDL's dummy driver takes them.
# SNAKE_XVFB_SCREEN (640x480x24) sets the screen, and SNAKE_COMPARE_BASE_ARGS
# and SNAKE_COMPARE_NEW_ARGS add driver options to the busiest-game runs:
# one build at two zooms, say, zoom 1 against full screen (zoom 3 on 1080
# rows for the busiest one-player game; two players' rows need 1200 for it),
#   SNAKE_XVFB_SCREEN=1920x1080x24 SNAKE_COMPARE_BASE_ARGS="--zoom 1 --one-player" \
#   SNAKE_COMPARE_NEW_ARGS="--fullscreen --one-player" bash bench/present_compare.sh build build
# SNAKE_COMPARE_FULLSCREEN=1 plays both builds' busiest games in full screen
# on a 1920 x 1080 screen (zoom 2 for two players' rows).
set -euo pipefail
if [ "${SNAKE_COMPARE_FULLSCREEN:-}" = 1 ]; then
    export SNAKE_XVFB_SCREEN=1920x1080x24
    SNAKE_COMPARE_BASE_ARGS="--fullscreen ${SNAKE_COMPARE_BASE_ARGS:-}"
    SNAKE_COMPARE_NEW_ARGS="--fullscreen ${SNAKE_COMPARE_NEW_ARGS:-}"
fi

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
absolute() { [[ "$1" = /* ]] && echo "$1" || echo "$PWD/$1"; }
[ $# -ge 1 ] || { sed -n '2,34p' "$0" >&2; exit 2; }
base="$(absolute "$1")"
new="$(absolute "${2:-$root/build}")"
runs="${SNAKE_COMPARE_RUNS:-5}"
seconds="${SNAKE_COMPARE_SECONDS:-20}"
for b in "$base" "$new"; do
    [ -x "$b/bench/pace_driver" ] || { echo "present_compare.sh: $b/bench/pace_driver is missing" >&2; exit 1; }
done
command -v Xvfb >/dev/null || { echo "present_compare.sh: Xvfb is not installed" >&2; exit 1; }

work="$(mktemp -d)"
xvfb_pid=""
pulse_pid=""
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    [ -n "$pulse_pid" ] && kill "$pulse_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# shellcheck source=tests/tools/xvfb.sh
. "$root/tests/tools/xvfb.sh"
start_xvfb "$work" "${SNAKE_COMPARE_DISPLAY:-}" || { echo "present_compare.sh: Xvfb did not start" >&2; exit 1; }
export QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy SNAKE_PACE_XSERVER_PID="$xvfb_pid"
sound="SDL dummy driver"
if [ "${SNAKE_COMPARE_SOUND:-}" = pulse ]; then
    command -v pulseaudio >/dev/null || { echo "present_compare.sh: pulseaudio is not installed" >&2; exit 1; }
    mkdir -p "$work/pulse"
    XDG_RUNTIME_DIR="$work/pulse" HOME="$work/pulse" pulseaudio -n --daemonize=no --exit-idle-time=-1 \
        --use-pid-file=no -L module-null-sink -L "module-native-protocol-unix auth-anonymous=1 socket=$work/pulse/native" \
        >"$work/pulse/log" 2>&1 &
    pulse_pid=$!
    for _ in $(seq 100); do [ -S "$work/pulse/native" ] && break; sleep 0.05; done
    [ -S "$work/pulse/native" ] || { echo "present_compare.sh: PulseAudio did not start" >&2; exit 1; }
    export SDL_AUDIODRIVER=pulseaudio PULSE_SERVER="unix:$work/pulse/native" SNAKE_PACE_SOUND_PID="$pulse_pid"
    sound="PulseAudio $(pulseaudio --version | awk '{print $2}'), null sink"
fi

# field NAME LINE: the value of NAME=... in a driver's line, without "%".
field() { sed -n "s/.*\b$1=\([^ %]*\).*/\1/p" <<<"$2"; }
median() { sort -g | awk '{v[NR]=$1} END {if (NR % 2) print v[(NR+1)/2]; else printf "%.4f\n", (v[NR/2]+v[NR/2+1])/2}'; }

echo "== Machine"
echo "date: $(date -u '+%Y-%m-%d %H:%M UTC')  cores: $(nproc)  load: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "base: $base"
echo "new:  $new"
echo "display: Xvfb $DISPLAY ${SNAKE_XVFB_SCREEN:-640x480x24}, no window manager; sound: $sound"
echo "options: base ${SNAKE_COMPARE_BASE_ARGS:-none}, new ${SNAKE_COMPARE_NEW_ARGS:-none}"

# Run i of each build plays the game of seed i: the same game, with the same
# sounds at the same passes, in both builds.
echo "== Busiest game at Medium: $runs runs of ${seconds} s each, alternating (base new new base ...), run i on seed i"
for i in $(seq "$runs"); do
    order="base new"
    [ $((i % 2)) -eq 0 ] && order="new base"
    for which in $order; do
        build="$base"
        extra="${SNAKE_COMPARE_BASE_ARGS:-}"
        [ "$which" = new ] && build="$new" && extra="${SNAKE_COMPARE_NEW_ARGS:-}"
        # shellcheck disable=SC2086 # the options are words
        line="$("$build/bench/pace_driver" --speed 2 --busy --seconds "$seconds" --seed "$i" $extra 2>/dev/null)"
        echo "$which: seed=$i $line"
        echo "$line" >>"$work/$which"
    done
done
summary() {
    local key="$1" b n
    b="$(while read -r l; do field "$key" "$l"; done <"$work/base" | median)"
    n="$(while read -r l; do field "$key" "$l"; done <"$work/new" | median)"
    printf '%-18s base %-8s new %-8s new/base %s\n' "$key" "$b" "$n" \
        "$(awk -v b="$b" -v n="$n" 'BEGIN {if (b > 0) printf "%.2f", n / b; else print "-"}')"
}
echo "-- medians (CPU in % of one core)"
for key in cpu cpu_main cpu_audio xcpu sound_server_cpu wakeups_per_pass sounds off_by zoom; do summary "$key"; done
# Each seed's game in both builds: new/base of the game process's CPU.
paired="$(paste -d'\n' "$work/base" "$work/new" | while read -r b && read -r n; do
    awk -v b="$(field cpu "$b")" -v n="$(field cpu "$n")" 'BEGIN {if (b > 0) printf "%.3f\n", n / b}'
done)"
echo "cpu new/base by seed: $(tr '\n' ' ' <<<"$paired")median $(median <<<"$paired")"

if [ "${SNAKE_COMPARE_CALLGRIND:-1}" != 0 ] && command -v valgrind >/dev/null; then
    echo "== Instructions per pass under callgrind (busiest game, Medium, 10 s collected)"
    for which in base new; do
        build="$base"
        [ "$which" = new ] && build="$new"
        line="$(valgrind --tool=callgrind --collect-atstart=no --callgrind-out-file="$work/cg.$which.%p" \
            "$build/bench/pace_driver" --speed 2 --busy --seconds 10 --seed 1 2>/dev/null | grep '^speed=')"
        passes="$(field passes "$line")"
        ir="$(cat "$work"/cg."$which".* | awk '/^totals:/ {s += $2} END {print s + 0}')"
        echo "$which: passes=$passes instructions=$ir per_pass=$(awk -v i="$ir" -v p="$passes" 'BEGIN {printf "%.0f", i / p}')"
    done
fi

echo "== Wake-ups over 10 s: title screen, and a paused game (Medium)"
for which in base new; do
    build="$base"
    [ "$which" = new ] && build="$new"
    echo "$which: $("$build/bench/pace_driver" --idle title --seconds 10 2>/dev/null)"
    echo "$which: $("$build/bench/pace_driver" --idle paused --seconds 10 2>/dev/null)"
done

echo "== Pass period at every timed speed (busiest game, ${seconds} s each)"
for speed in 0 1 2 3; do
    for which in base new; do
        build="$base"
        [ "$which" = new ] && build="$new"
        line="$("$build/bench/pace_driver" --speed "$speed" --busy --seconds "$seconds" --seed 1 2>/dev/null)"
        echo "$which: $(cut -d' ' -f1-8 <<<"$line") cpu=$(field cpu "$line")%"
    done
done

echo "== Start-up: process start to the first paint (9 runs each, alternating)"
for _ in $(seq 9); do
    for which in base new; do
        build="$base"
        [ "$which" = new ] && build="$new"
        line="$(SNAKE_PACE_T0_NS="$(date +%s%N)" "$build/bench/pace_driver" --startup 2>/dev/null)"
        echo "${line#startup_ms=}" >>"$work/startup_$which"
    done
done
for which in base new; do
    echo "$which: startup_median_ms=$(median <"$work/startup_$which") runs_ms: $(tr '\n' ' ' <"$work/startup_$which")"
done
