#!/usr/bin/env bash
# Builds the Windows folder and runs its tests under Wine: the game's suites
# cross-built, and the folder from the zip end to end. Each run makes a fresh
# Wine prefix in a temporary folder and an X server (Xvfb, 1024x768x24) for
# it; the prefix's wineserver is kept up while the tests run, and both are
# stopped at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build-windows.sh

TMP=$(mktemp -d /tmp/kestra-wine-XXXXXX)
export WINEPREFIX=$TMP/prefix WINEARCH=win64 WINEDEBUG=-all
# No .NET or HTML engine installs (they would ask to download).
export WINEDLLOVERRIDES="mscoree,mshtml="
. tests/support/xvfb.sh
stop() {
    wineserver -k 2>/dev/null || true
    xvfb_stop
    rm -rf "$TMP"
}
trap stop EXIT
xvfb_start 1024x768 "$TMP"
mkdir -p "$WINEPREFIX"
wineserver -p  # kept up between the tests' Wine processes
wineboot -i >"$TMP/wineboot.log" 2>&1 || { cat "$TMP/wineboot.log"; exit 1; }
# DirectDraw through Wine's GDI renderer: the 16-bit screen reaches X with
# every colour widened by bit replication, as the checks expect.
wine reg add 'HKCU\Software\Wine\Direct3D' /v renderer /t REG_SZ /d gdi /f >/dev/null 2>&1
# Wine itself now and then kills a game with SIGKILL as it exits (seen once in three runs, after a failed
# start, exit status 137): a failing test gets one more run.
ctest --test-dir "${WINDOWS_BUILD_DIR:-build-windows}" --output-on-failure -j "${JOBS:-2}" --timeout 600 \
    --repeat until-pass:2
