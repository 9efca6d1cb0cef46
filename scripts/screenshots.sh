#!/usr/bin/env bash
# Regenerates the README's screenshots with the headless runner (fixed seed,
# scripted input): the waiting screen and a moment of play, at half size; and
# the starfield example's for docs/modules.md, whole and around the ship at 2x.
set -euo pipefail
cd "$(dirname "$0")/.."
GAME=$(pwd)/build/game
[ -x "$GAME/engine-headless" ] || scripts/build.sh
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cp "$GAME"/tiles.bmp "$GAME"/sprites.bmp "$GAME"/text.bmp "$GAME"/song.mid "$WORK"/
cat >"$WORK/play.txt" <<'SCRIPT'
# point near the bottom, click to fly, then autopilot, extra weapons, fire held
300 move 512 600
1700 ldown
1750 lup
4800 key 0x41
4850 key 0x32
4900 key 0x33
4950 key 0x53
5000 ldown
SCRIPT
(cd "$WORK" && "$GAME/engine-headless" --seed 5 --run-ms 6000 --script play.txt \
    --shot 1600:waiting.png --shot 5600:play.png >/dev/null)
convert "$WORK/waiting.png" -resize 50% docs/screen-waiting.png
convert "$WORK/play.png" -resize 50% docs/screen-play.png

STAR=$(pwd)/build/examples/starfield
cp "$STAR"/sprites.bmp "$STAR"/song.mid "$WORK"/
echo "200 move 300 400" >"$WORK/pointer.txt"
(cd "$WORK" && "$STAR/engine-headless" --run-ms 1200 --script pointer.txt --shot 1000:starfield.png >/dev/null)
cp "$WORK/starfield.png" docs/starfield.png
convert "$WORK/starfield.png" -crop 256x160+172+320 +repage -filter point -resize 200% docs/starfield-ship.png
echo "wrote docs/screen-waiting.png docs/screen-play.png docs/starfield.png docs/starfield-ship.png"
