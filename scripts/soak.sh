#!/usr/bin/env bash
# Soak run (not part of CI): one virtual hour of seeded random play in the
# sanitizer build, through engine-headless. Reports the calls and frames, the
# peak memory, and the game module's live allocation count at the end against
# the count right after set-up.
#
#   scripts/soak.sh [SEED] [VIRTUAL_MS]      # defaults: 1, 3600000
#
# Builds build-asan/ first (AddressSanitizer + UBSan) if it is not there; the
# run fails on any sanitizer report, leaks included.
set -euo pipefail
cd "$(dirname "$0")/.."
SEED=${1:-1}
RUN_MS=${2:-3600000}
BUILD_DIR=${BUILD_DIR:-build-asan}
scripts/setup.sh
BUILD_DIR=$BUILD_DIR scripts/build.sh -DKESTRA_SANITIZE=ON -DKESTRA_BENCH=OFF >/dev/null
GAME="$(realpath "$BUILD_DIR/game")"

WORK=$(mktemp -d /tmp/kestra-soak-XXXXXX)
trap 'rm -rf "$WORK"' EXIT
cp "$GAME"/tiles.bmp "$GAME"/sprites.bmp "$GAME"/text.bmp "$GAME"/song.mid "$WORK"/

# Random input from the seed: pointer moves, clicks and held fire, missiles,
# every game key, and now and then the application losing focus.
awk -v seed="$SEED" -v end="$RUN_MS" 'BEGIN {
  srand(seed)
  split("0x32 0x33 0x41 0x42 0x46 0x47 0x4D 0x53 0x57 0x20", keys, " ")
  for (t = 100; t < end; t += 20 + int(rand() * 400)) {
    r = int(rand() * 10)
    if (r == 0) print t, "ldown"
    else if (r == 1) print t, "lup"
    else if (r == 2) { print t, "rdown"; print t, "rup" }
    else if (r == 3) print t, "key", keys[1 + int(rand() * 10)]
    else if (r == 4) { if (rand() < 0.05) { print t, "activate 0"; print t + 300, "activate 1" } }
    else print t, "move", int(rand() * 1024), int(rand() * 768)
  }
}' >"$WORK/soak.txt"
echo "soak: seed $SEED, $RUN_MS virtual ms, $(wc -l <"$WORK/soak.txt") scripted inputs"

export ASAN_OPTIONS=${ASAN_OPTIONS:-halt_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
status=0
(cd "$WORK" && KESTRA_ALLOC_STATS=1 /usr/bin/time -v -o time.txt "$GAME/engine-headless" --seed "$SEED" \
  --run-ms "$RUN_MS" --step-ms 10 --script soak.txt >out.txt 2>err.txt) || status=$?

cat "$WORK/out.txt"
grep -E "^prog: allocations" "$WORK/err.txt" || echo "soak: no allocation line from prog.so"
grep -E "Maximum resident set size|Elapsed \(wall clock\)" "$WORK/time.txt" | sed 's/^[[:space:]]*/soak: /'
if grep -qE "runtime error|Sanitizer|ERROR:" "$WORK/err.txt"; then
  grep -m1 -A40 -E "runtime error|Sanitizer|ERROR:" "$WORK/err.txt"
  status=1
fi
[ $status -eq 0 ] && echo "soak: passed" || echo "soak: FAILED (status $status)"
exit $status
