#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the normal build,
# the Debian package, then the same tests under AddressSanitizer +
# UndefinedBehaviorSanitizer, then the fuzz targets for a bounded time. Every
# stage runs even when an earlier one failed (a build that does not compile
# counts as one failure of its stage); the last line counts what really
# passed and failed. The variables that change a run: docs/environment.md.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
snake_install_missing "${snake_play_packages[@]}" "${snake_test_packages[@]}" || exit 1
export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy

passed=0
failed=0
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Adds CTest's own closing counts; a run that prints none counts as a failure.
run_ctest() {
    local log="$work/ctest.log" summary total bad
    ctest "$@" --output-on-failure -j 2 2>&1 | tee "$log"
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

# build_stage NAME PRESET DIR [cmake options...] [-- targets...]: a build that
# fails is one failure, and its stage's tests are not run (returns 1).
build_stage() {
    local name="$1"
    shift
    if snake_build "$@"; then
        return 0
    fi
    echo "the $name build failed: its tests were not run"
    failed=$((failed + 1))
    return 1
}

# check_stage PASSED FAILED FINDINGS: one stage that passes when a check
# found nothing, and lists what it found otherwise.
check_stage() {
    if [ -z "$3" ]; then
        echo "$1"
        passed=$((passed + 1))
    else
        echo "$2"
        echo "$3"
        failed=$((failed + 1))
    fi
}

echo "== Formatting"
# Every C++ file as the repository's .clang-format lays it out.
unformatted="$(cd "$SNAKE_ROOT" && git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run 2>&1 |
    sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: warning:.*/\1/p' | sort -u)"
check_stage "all files formatted" "not formatted (run clang-format -i on them):" "$unformatted"

echo "== Layers"
# The folders of src/ from the bottom up. Each includes only its own headers
# and those of the folders before it: every include points down.
layers=(platform scores rules render flow window)
upward="$(cd "$SNAKE_ROOT/src" && for ((i = 0; i < ${#layers[@]}; i++)); do
    above="$(IFS='|' && echo "${layers[*]:i+1}")"
    [ -z "$above" ] || grep -snE "^#include \"($above)/" "${layers[i]}"/*
done; for folder in */; do [[ " ${layers[*]} " == *" ${folder%/} "* ]] || echo "$folder: not in the list of layers"; done)"
check_stage "every include points down: ${layers[*]}" "includes of a folder above (the order: ${layers[*]}):" "$upward"

echo "== Build and tests"
if build_stage normal normal "$SNAKE_BUILD"; then
    run_ctest --test-dir "$SNAKE_BUILD"
fi

# --- The Debian package, built from debian/ by dpkg-buildpackage in a copy of
# the tree (it writes into the folder above the source, and the tree stays
# as it is), then checked by appstreamcli, desktop-file-validate and lintian,
# and its contents compared with the list in the README.
echo "== Debian package"
deb_dir="$SNAKE_ROOT/build-deb"

# The tree as it is now, edits included, without build folders or git's files.
copy_tree() {
    local dest="$1" f
    mkdir -p "$dest"
    if git -C "$SNAKE_ROOT" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        (cd "$SNAKE_ROOT" && git ls-files -z --cached --others --exclude-standard |
            while IFS= read -r -d '' f; do [ -e "$f" ] && printf '%s\0' "$f"; done |
            tar -cf - --null -T -) | tar -xf - -C "$dest"
    else
        tar -cf - -C "$SNAKE_ROOT" --exclude='./build' --exclude='./build-*' . | tar -xf - -C "$dest"
    fi
}

build_deb() {
    rm -rf "$deb_dir"
    copy_tree "$deb_dir/snake-game" || return 1
    # Source and binary, so that lintian sees debian/ as well as the .deb.
    if ! (cd "$deb_dir/snake-game" && dpkg-buildpackage -us -uc -J"$(nproc)") >"$deb_dir/build.log" 2>&1; then
        tail -n 60 "$deb_dir/build.log"
        echo "dpkg-buildpackage failed (the whole log: $deb_dir/build.log)"
        return 1
    fi
}

# Checks the package in a scratch folder; prints what is wrong, fails if any.
check_deb() {
    local deb="$1" changes="$2" root lint bad=0 path
    echo "-- $(basename "$deb"): $(stat -c %s "$deb") bytes"
    dpkg-deb -f "$deb" Depends
    root="$(mktemp -d -p "$work")"
    dpkg-deb -x "$deb" "$root"
    appstreamcli validate --no-net --pedantic "$root"/usr/share/metainfo/*.metainfo.xml || bad=1
    desktop-file-validate "$root"/usr/share/applications/snake-game.desktop || bad=1
    # Pedantic and informational remarks are shown; errors and warnings fail.
    if lint="$(lintian --pedantic --display-info --fail-on error,warning "$changes" 2>&1)"; then
        echo "$lint" | grep -v "running with root privileges" || true
        echo "lintian: no errors, no warnings"
    else
        echo "$lint"
        echo "lintian found errors or warnings"
        bad=1
    fi
    while read -r path; do
        [ -e "$root$path" ] || [ -L "$root$path" ] || { echo "missing from the package: $path"; bad=1; }
    done < <(sed -n 's|^    \(/usr/[^ ]*\).*|\1|p' "$SNAKE_ROOT/README.md")
    path="$(find "$root" -xtype l)"
    [ -z "$path" ] || { echo "links that lead nowhere: $path"; bad=1; }
    [ -z "$(find "$root" -iname scores.dat)" ] || { echo "the package ships a scores.dat"; bad=1; }
    [ "$bad" -eq 0 ] && echo "package contents match the README"
    return "$bad"
}

if build_deb && check_deb "$(ls "$deb_dir"/snake-game_*.deb)" "$(ls "$deb_dir"/snake-game_*.changes)"; then
    passed=$((passed + 1))
else
    echo "the Debian package failed"
    failed=$((failed + 1))
fi

if [ "${SNAKE_SKIP_SANITIZE:-0}" != 1 ]; then
    echo "== Tests under AddressSanitizer and UndefinedBehaviorSanitizer"
    if build_stage sanitizer sanitize "$SNAKE_ROOT/build-asan"; then
        ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1" \
        LSAN_OPTIONS="suppressions=$SNAKE_ROOT/tests/lsan.supp:print_suppressions=0" \
        UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
            run_ctest --test-dir "$SNAKE_ROOT/build-asan"
    fi
fi

if [ "${SNAKE_SKIP_FUZZ:-0}" != 1 ]; then
    echo "== Fuzzing the map reader and the score file reader"
    fuzz_dir="$SNAKE_ROOT/build-fuzz"
    if build_stage fuzzing fuzz "$fuzz_dir" -- fuzz_mapfile fuzz_scorefile; then
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
fi
echo "== Summary"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
