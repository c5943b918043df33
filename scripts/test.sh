#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the normal build,
# then the same tests under AddressSanitizer + UndefinedBehaviorSanitizer,
# then the fuzz targets for a bounded time. Every stage runs even when an
# earlier one failed; the last line counts what really passed and failed.
# Local shortcuts: SNAKE_SKIP_SANITIZE=1, SNAKE_SKIP_FUZZ=1, SNAKE_FUZZ_SECONDS=N.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
snake_install_missing "${snake_play_packages[@]}" "${snake_test_packages[@]}"
export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy

passed=0
failed=0
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Adds CTest's own closing counts; a run that prints none counts as a failure.
run_ctest() {
    local log="$work/ctest.log" summary total bad
    ctest "$@" --output-on-failure -j 2 2>&1 | tee "$log" || true
    summary="$(grep -E "tests passed, [0-9]+ tests? failed out of [0-9]+" "$log" | tail -n 1)"
    if [ -z "$summary" ]; then
        echo "ctest printed no summary"
        failed=$((failed + 1))
        return
    fi
    bad="$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$summary")"
    total="$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$summary")"
    passed=$((passed + total - bad))
    failed=$((failed + bad))
}

echo "== Formatting"
# Every C++ file as the repository's .clang-format lays it out.
unformatted="$(cd "$SNAKE_ROOT" && git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run 2>&1 |
    sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: warning:.*/\1/p' | sort -u)"
if [ -z "$unformatted" ]; then
    echo "all files formatted"
    passed=$((passed + 1))
else
    echo "not formatted (run clang-format -i on them):"
    echo "$unformatted"
    failed=$((failed + 1))
fi

echo "== Build and tests"
snake_build "$SNAKE_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo
run_ctest --test-dir "$SNAKE_BUILD"

# --- The Debian package: built from the install rules with Debian's own
# compiler flags, checked by appstreamcli, desktop-file-validate and lintian,
# and its contents compared with the list in the README.
echo "== Debian package"
# Checks the package in a scratch folder; prints what is wrong, fails if any.
check_deb() {
    local deb="$1" root lint bad=0 path
    echo "-- $(basename "$deb"): $(stat -c %s "$deb") bytes"
    dpkg-deb -f "$deb" Depends
    root="$(mktemp -d -p "$work")"
    dpkg-deb -x "$deb" "$root"
    appstreamcli validate --no-net --pedantic "$root"/usr/share/metainfo/*.metainfo.xml || bad=1
    desktop-file-validate "$root"/usr/share/applications/snake-game.desktop || bad=1
    if lint="$(lintian --fail-on error "$deb" 2>&1)"; then
        echo "$lint" | grep -v "running with root privileges" || true
        echo "lintian: no errors"
    else
        echo "$lint"
        echo "lintian found errors"
        bad=1
    fi
    while read -r path; do
        [ -e "$root$path" ] || [ -L "$root$path" ] || { echo "missing from the package: $path"; bad=1; }
    done < <(sed -n 's|^    \(/usr/[^ ]*\).*|\1|p' "$SNAKE_ROOT/README.md")
    [ -z "$(find "$root" -iname scores.dat)" ] || { echo "the package ships a scores.dat"; bad=1; }
    [ "$bad" -eq 0 ] && echo "package contents match the README"
    return "$bad"
}
deb_dir="$SNAKE_ROOT/build-deb"
if (export DEB_BUILD_MAINT_OPTIONS=hardening=+all
    CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    LDFLAGS="$(dpkg-buildflags --get LDFLAGS)" \
        snake_build "$deb_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF -DSNAKE_BENCHMARKS=OFF &&
    rm -f "$deb_dir"/*.deb && cd "$deb_dir" && cpack -G DEB >/dev/null) && check_deb "$(ls "$deb_dir"/snake-game_*.deb)"; then
    passed=$((passed + 1))
else
    echo "the Debian package failed"
    failed=$((failed + 1))
fi

if [ "${SNAKE_SKIP_SANITIZE:-0}" != 1 ]; then
    echo "== Tests under AddressSanitizer and UndefinedBehaviorSanitizer"
    snake_build "$SNAKE_ROOT/build-asan" -DCMAKE_BUILD_TYPE=Debug -DSNAKE_SANITIZE=ON -DSNAKE_BENCHMARKS=OFF
    ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1" \
    LSAN_OPTIONS="suppressions=$SNAKE_ROOT/tests/lsan.supp:print_suppressions=0" \
    UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
        run_ctest --test-dir "$SNAKE_ROOT/build-asan"
fi

if [ "${SNAKE_SKIP_FUZZ:-0}" != 1 ]; then
    echo "== Fuzzing the map reader and the score file reader"
    fuzz_dir="$SNAKE_ROOT/build-fuzz"
    CC=clang CXX=clang++ snake_build "$fuzz_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DSNAKE_FUZZ=ON -DBUILD_TESTING=OFF -DSNAKE_BENCHMARKS=OFF -- fuzz_mapfile fuzz_scorefile
    seconds="${SNAKE_FUZZ_SECONDS:-60}"
    mkdir -p "$work/maps" "$work/scores"
    cp "$SNAKE_ROOT"/data/map*.dat "$work/maps/"
    cp "$SNAKE_ROOT"/tests/fuzz/seeds_scores/* "$work/scores/"
    for target in mapfile:maps scorefile:scores; do
        name="${target%%:*}" corpus="$work/${target##*:}"
        echo "-- fuzz_$name for ${seconds}s"
        if (cd "$work" && ASAN_OPTIONS="detect_leaks=1" "$fuzz_dir/tests/fuzz/fuzz_$name" \
            -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 "$corpus" \
            2>"$work/$name.log"); then
            grep -E "^(stat::number_of_executed_units|stat::peak_rss_mb|Done)" "$work/$name.log" || true
            passed=$((passed + 1))
        else
            tail -n 60 "$work/$name.log"
            echo "fuzz_$name failed"
            failed=$((failed + 1))
        fi
    done
fi
echo "== Summary"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
