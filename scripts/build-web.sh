#!/usr/bin/env bash
# Builds the browser site build-web/site/ (index.html, engine.js, engine.wasm,
# prog.wasm and the four data files), which any static web server can serve.
# Installs emscripten (scripts/setup.sh web) when it is missing. The data files
# are written by the asset maker of the native build, built first. Extra
# arguments go to CMake.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v emcc >/dev/null || scripts/setup.sh web
# Debian's emcc runs on whatever node the machine has: it must find Debian's
# JavaScript modules (acorn and the like).
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
NATIVE=${NATIVE_BUILD_DIR:-build}
if [ ! -f "$NATIVE/CMakeCache.txt" ]; then
  cmake -S . -B "$NATIVE" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} >/dev/null
fi
cmake --build "$NATIVE" --target assets -j "${JOBS:-2}"
OUT=${WEB_BUILD_DIR:-build-web}
emcmake cmake -S . -B "$OUT" -G Ninja -DCMAKE_BUILD_TYPE=${WEB_BUILD_TYPE:-Release} \
    -DKESTRA_NATIVE_BUILD="$PWD/$NATIVE" "$@" >/dev/null
cmake --build "$OUT" -j "${JOBS:-2}"
echo "Site: $OUT/site/"
