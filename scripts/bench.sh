#!/usr/bin/env bash
# Builds the benchmarks (in build-bench/, or $BUILD_DIR) and prints every
# performance figure of the game as one table: the whole game headless, the
# tick at a stress population, the HUD rebuild, start-up to the first frame,
# peak memory and live allocations of a ten-minute virtual run, and the
# renderer's figures.
#
#   scripts/bench.sh            all figures
#   scripts/bench.sh --frames   only the md5 of screenshots of fixed-seed runs,
#                               to show that a change leaves every frame as it was
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
BUILD_DIR=${BUILD_DIR:-build-bench}
case "$BUILD_DIR" in /*) ;; *) BUILD_DIR="$ROOT/$BUILD_DIR" ;; esac
GAME="$BUILD_DIR/game"

scripts/setup.sh
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRA_BENCH=ON >/dev/null
cmake --build "$BUILD_DIR" -j "${JOBS:-2}" --target engine-headless prog assets \
  bench_game_bench bench_tick_bench bench_hud_bench bench_render_bench >/dev/null

WORK=$(mktemp -d /tmp/kestra-bench-XXXXXX)
trap 'rm -rf "$WORK"' EXIT
for f in tiles.bmp sprites.bmp text.bmp song.mid; do cp "$GAME/$f" "$WORK/"; done
cd "$WORK"

source "$ROOT/scripts/busy-script.sh"
# Clicks, then the autopilot and fire held, with a new click every 4 s.
play_script() {
  echo "500 move 512 600"; echo "600 ldown"; echo "650 lup"; echo "4000 key 0x41"; echo "4100 ldown"
  for ((t = 8000; t < 60000; t += 4000)); do echo "$t lup"; echo "$((t + 50)) ldown"; done
}

if [ "${1:-}" = "--frames" ]; then
  busy_script 120000 >busy.txt
  play_script >play.txt
  "$GAME/engine-headless" --seed 11 --run-ms 60000 --script play.txt \
    --shot 5000:play1.png --shot 20000:play2.png --shot 45000:play3.png --shot 59990:play4.png >/dev/null
  "$GAME/engine-headless" --seed 5 --run-ms 90000 --script busy.txt \
    --shot 4000:busy1.png --shot 15000:busy2.png --shot 40000:busy3.png --shot 89990:busy4.png >/dev/null
  "$GAME/engine-headless" --seed 6 --run-ms 20000 --step-ms 1 --script busy.txt \
    --shot 8000:fast1.png --shot 19990:fast2.png >/dev/null
  md5sum ./*.png kestra.cfg
  exit 0
fi

ROWS=()
row() { ROWS+=("$1|$2|$3|$4"); }
figures() { # the "= label|value|unit|target" lines of a benchmark's output
  grep '^= ' | sed 's/^= //'
}

echo "Running the benchmarks (a minute or two) ..." >&2
while IFS= read -r line; do ROWS+=("$line"); done < <("$BUILD_DIR/bench/bench_game_bench" 2>/dev/null | figures)
while IFS= read -r line; do ROWS+=("$line"); done < <("$BUILD_DIR/bench/bench_tick_bench" 2>/dev/null | figures)
while IFS= read -r line; do ROWS+=("$line"); done < <("$BUILD_DIR/bench/bench_hud_bench" 2>/dev/null | figures)

# Start-up: one presented frame (1 ms steps, run ends at 2 ms) against the
# same program refusing its options at once; medians of 21 runs, interleaved.
now_ns() { date +%s%N; }
declare -a FULL BARE
for i in $(seq 21); do
  t0=$(now_ns); "$GAME/engine-headless" --run-ms 2 --step-ms 1 >/dev/null 2>&1; t1=$(now_ns)
  "$GAME/engine-headless" --help >/dev/null 2>&1 || true; t2=$(now_ns)
  FULL+=($((t1 - t0))); BARE+=($((t2 - t1)))
done
median_ms() { printf '%s\n' "$@" | sort -n | awk '{v[NR]=$1} END {printf "%.2f", v[int((NR+1)/2)]/1e6}'; }
full=$(median_ms "${FULL[@]}"); bare=$(median_ms "${BARE[@]}")
row "start-up to the first frame (process)" "$full" "ms" "-"
row "  bare process start and exit" "$bare" "ms" "-"
row "  start-up beyond the bare process" "$(awk -v a="$full" -v b="$bare" 'BEGIN {printf "%.2f", a - b}')" "ms" "< 50 ms"

# Ten virtual minutes of the busy script (10 ms steps): peak resident memory,
# and the module's live allocations at the end against right after set-up;
# shorter runs of the same script show whether the count grows with time.
busy_script 600000 >busy10.txt
for minutes in 2 5 10; do
  KESTRA_ALLOC_STATS=1 /usr/bin/time -v "$GAME/engine-headless" --seed 5 --run-ms $((minutes * 60000)) \
    --script busy10.txt >run.json 2>run.err
  live=$(sed -n 's/.*allocations live=\([0-9]*\) after-setup=\([0-9-]*\) calls=\([0-9]*\).*/\1 \2 \3/p' run.err)
  set -- $live
  if [ "$minutes" = 10 ]; then
    rss=$(awk -F: '/Maximum resident set size/ {gsub(/ /, "", $2); print $2}' run.err)
    row "peak resident memory, 10 virtual minutes" "$(awk -v k="$rss" 'BEGIN {printf "%.1f", k / 1024}')" "MiB" "-"
    row "  module allocations live after set-up" "$2" "blocks" "-"
  fi
  row "  live at the end of $minutes min ($3 calls)" "$1" "blocks" "no growth"
done

# The renderer's own benchmark: RenderFrame with the chosen kernel, SDL's
# colour-key blit and memcpy of the same bytes, by processor time.
"$BUILD_DIR/bench/bench_render_bench" --benchmark_min_time=0.5 2>/dev/null >render.txt || true
chosen=$(sed -n 's/^  \([^ ]*\) .*<- chosen$/\1/p' render.txt)
while IFS= read -r line; do ROWS+=("$line"); done < <(awk -v chosen="RenderFrame/$chosen" '
  /^  per frame/ {on = 1; next}
  /^Ratios/ {on = 0}
  on {
    cpu = $NF; name = $0; sub(/^ +/, "", name); sub(/ +[0-9.]+ +[0-9.]+$/, "", name)
    if (name == chosen || name ~ /^(SDL_BlitSurface|memcpy of the covered|present: SDL_UpdateTexture)/)
      printf "render bench: %s (cpu)|%s|ms|-\n", name, cpu
  }' render.txt)

printf '\n%-52s %12s  %-6s  %s\n' "figure" "value" "unit" "target"
printf '%s\n' "-----------------------------------------------------------------------------------------"
for r in "${ROWS[@]}"; do
  IFS='|' read -r label value unit target <<<"$r"
  printf '%-52s %12s  %-6s  %s\n' "$label" "$value" "$unit" "$target"
done
