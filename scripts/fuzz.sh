#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and UBSan in their
# own build folder and runs each for a bounded time, starting from the seeds
# committed under fuzz/corpus/<target>/.
#
#   scripts/fuzz.sh                 # every target, 30 s each
#   scripts/fuzz.sh 600 bitmap      # one target for ten minutes
#
# New inputs that reach new code go to $FUZZ_BUILD_DIR/corpus/<target>/ (the
# committed seeds stay as they are); a crash is saved under
# $FUZZ_BUILD_DIR/crashes/ and fails the script. One line per target reports
# how many inputs it ran.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH=${1:-30}
shift || true
TARGETS=("$@")
[ ${#TARGETS[@]} -eq 0 ] && TARGETS=(bitmap highscore script)
BUILD_DIR=${FUZZ_BUILD_DIR:-build-fuzz}
mkdir -p "$BUILD_DIR"
BUILD_DIR=$(realpath "$BUILD_DIR")  # the high-score target works in a folder of its own

CC=clang CXX=clang++ cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKESTRA_FUZZ=ON -DKESTRA_SANITIZE=ON -DKESTRA_TESTS=OFF -DKESTRA_BENCH=OFF >/dev/null
cmake --build "$BUILD_DIR" -j "${JOBS:-2}" --target "${TARGETS[@]/#/fuzz_}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-halt_on_error=1:detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
mkdir -p "$BUILD_DIR/crashes"
status=0
summary=()
for target in "${TARGETS[@]}"; do
  work="$BUILD_DIR/corpus/$target"
  log="$BUILD_DIR/fuzz-$target.log"
  mkdir -p "$work"
  echo "== fuzz_$target for ${SECONDS_EACH} s"
  if "$BUILD_DIR/fuzz/fuzz_$target" -max_total_time="$SECONDS_EACH" -print_final_stats=1 \
      -artifact_prefix="$BUILD_DIR/crashes/$target-" "$work" "$PWD/fuzz/corpus/$target" >"$log" 2>&1; then
    result=ok
  else
    result=FAILED
    status=1
    tail -n 60 "$log"
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  summary+=("fuzz_$target: ${runs:-?} inputs in ${SECONDS_EACH} s, corpus $(ls "$work" | wc -l) new files, $result")
done
printf '%s\n' "${summary[@]}"
exit $status
