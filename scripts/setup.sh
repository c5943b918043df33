# Shared by play.sh and test.sh: installs what is missing, configures, builds.
# Sourced, not run.

SNAKE_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SNAKE_BUILD="${SNAKE_BUILD:-$SNAKE_ROOT/build}"

# What building and playing the game needs.
snake_play_packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev libxcb1-dev libsdl2-dev fonts-urw-base35
)
# What the tests, benchmarks and fuzzers need on top, and for the Debian
# package debhelper (which brings dpkg-dev), the metadata checks and lintian.
# The package's own build dependencies are debian/control's Build-Depends:
# the play packages above.
snake_test_packages=(
    libbenchmark-dev xvfb xdotool clang libclang-rt-14-dev desktop-file-utils
    build-essential debhelper appstream lintian clang-format acl
)

# snake_install_missing PACKAGE...
snake_install_missing() {
    local missing=()
    local p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages: ${missing[*]}" >&2
        echo "Install them with: sudo apt-get install ${missing[*]}" >&2
        return 1
    fi
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# snake_build PRESET DIR [cmake options...] [-- targets...]
# Configures DIR from a preset of CMakePresets.json (normal, sanitize, fuzz),
# where the options of each build are defined. Every time (quick when nothing
# changed), so changed options take.
snake_build() {
    local preset="$1" dir="$2"
    shift 2
    local options=() targets=()
    while [ $# -gt 0 ] && [ "$1" != "--" ]; do options+=("$1"); shift; done
    [ $# -gt 0 ] && shift && targets=("$@")
    cmake -S "$SNAKE_ROOT" --preset "$preset" -B "$dir" "${options[@]}" >/dev/null || return 1
    if [ ${#targets[@]} -gt 0 ]; then
        cmake --build "$dir" -j "$(nproc)" --target "${targets[@]}"
    else
        cmake --build "$dir" -j "$(nproc)"
    fi
}
