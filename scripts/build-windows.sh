#!/usr/bin/env bash
# Builds the Windows folder build-windows/game/ (engine.exe, prog.dll and the
# four data files) and build-windows/kestra-windows.zip, with Debian's
# mingw-w64 cross compiler. The data files are written by the asset maker of
# the native build, which is built first. Extra arguments go to CMake.
set -euo pipefail
cd "$(dirname "$0")/.."
NATIVE=${NATIVE_BUILD_DIR:-build}
BUILD_DIR=$NATIVE scripts/build.sh
OUT=${WINDOWS_BUILD_DIR:-build-windows}
cmake -S . -B "$OUT" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-Release} -DKESTRA_NATIVE_BUILD="$PWD/$NATIVE" "$@" >/dev/null
cmake --build "$OUT" -j "${JOBS:-2}"
echo "Windows folder: $OUT/game/  zip: $OUT/kestra-windows.zip"
