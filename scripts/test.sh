#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test, as CI does:
#   1. the normal build in build/, its Debian package (checked by lintian),
#      and the whole suite, which includes the game run as installed from
#      that package;
#   2. the whole suite again in an AddressSanitizer + UBSan build in
#      build-asan/ (LeakSanitizer on), where any report fails its test;
#   3. the Windows build in build-windows/ and its tests under Wine;
#   4. each libFuzzer target for FUZZ_SECONDS (30 by default), in build-fuzz/;
#   5. the browser site in build-web/ (emscripten, chromium, fluidsynth and
#      the page tests' npm packages installed by `setup.sh web`) and its tests
#      in headless Chromium.
# QUICK=1 stops after the first step (for developers; CI runs everything).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

step() { echo "== $1 ($(date +%T))"; }
LOGS=$(mktemp -d)
trap 'rm -rf "$LOGS"' EXIT
# One closing line over every ctest pass: "tests: N passed, M failed".
summary() {
    cat "$LOGS"/*.log | awk '/tests passed, [0-9]+ tests? failed out of/ {
        failed += $4; total += $NF } END { printf "tests: %d passed, %d failed\n", total - failed, failed }'
}

step "build, package and test"
scripts/build.sh
scripts/package.sh
ctest --test-dir build --output-on-failure -j "${JOBS:-2}" --timeout 300 | tee "$LOGS/1.log"
[ "${QUICK:-0}" = 1 ] && { summary; exit 0; }

step "sanitizer build and test"
BUILD_DIR=build-asan scripts/build.sh -DKESTRA_SANITIZE=ON -DKESTRA_BENCH=OFF
# Any report ends the process with an error, so the test that ran it fails.
ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "${JOBS:-2}" --timeout 600 | tee "$LOGS/2.log"

step "Windows build and tests under Wine"
scripts/test-windows.sh | tee "$LOGS/3.log"

step "fuzzing"
scripts/fuzz.sh "${FUZZ_SECONDS:-30}"

step "browser build and tests"
scripts/setup.sh web
scripts/build-web.sh
ctest --test-dir build-web --output-on-failure -j "${JOBS:-2}" --timeout 300 | tee "$LOGS/5.log"
step "done"
summary
