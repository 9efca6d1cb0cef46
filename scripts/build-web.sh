#!/usr/bin/env bash
# Builds the browser site build-web/site/ (index.html, engine.js, engine.wasm,
# prog.wasm, the four data files and song.ogg, the tune rendered for the
# browser), which any static web server can serve,
# the starfield example's site build-web/starfield/, and the page's tests
# (`ctest --test-dir build-web`). First installs whatever of it
# is missing (scripts/setup.sh web: emscripten, chromium, fluidsynth, the tests'
# npm packages). The data files are written by the asset maker of the
# native build, built first, with what the tests take from it (screen_check,
# engine-headless, prog.so, the native starfield). Extra arguments go to CMake.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh web
# Debian's emcc runs on whatever node the machine has: it must find Debian's
# JavaScript modules (acorn and the like).
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
NATIVE=${NATIVE_BUILD_DIR:-build}
if [ ! -f "$NATIVE/CMakeCache.txt" ]; then
  cmake -S . -B "$NATIVE" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} >/dev/null
fi
cmake --build "$NATIVE" --target assets screen_check engine-headless prog starfield -j "${JOBS:-2}"
OUT=${WEB_BUILD_DIR:-build-web}
emcmake cmake -S . -B "$OUT" -G Ninja -DCMAKE_BUILD_TYPE=${WEB_BUILD_TYPE:-Release} \
    -DKESTRA_NATIVE_BUILD="$PWD/$NATIVE" "$@" >/dev/null
cmake --build "$OUT" -j "${JOBS:-2}"
echo "Site: $OUT/site/"
