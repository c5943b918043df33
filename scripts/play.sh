#!/usr/bin/env bash
# Installs what is missing, builds, and starts the game.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
snake_install_missing "${snake_play_packages[@]}"
# Only the game and its data: the tests are built by test.sh.
snake_build normal "$SNAKE_BUILD" -- snake
exec "$SNAKE_BUILD/game/snake"
