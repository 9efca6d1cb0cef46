#!/usr/bin/env bash
# Installs what is missing, builds, and starts the game in a real window.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
cd build/game
exec ./engine
