#!/usr/bin/env bash
# Installs what is missing, builds, and starts the game in a real window;
# with a name, starts that example module instead (build/examples/<name>/).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
if [ $# -eq 0 ]; then
  cd build/game
  exec ./engine
fi
if [ ! -x "build/examples/$1/engine" ]; then
  echo "play.sh: no example module '$1'; there are: $(ls build/examples | tr '\n' ' ')" >&2
  exit 2
fi
cd "build/examples/$1"
exec ./engine
