#!/usr/bin/env bash
# Screenshots of the real window under Xvfb at 1024x768, 1920x1080 and 2560x1440,
# each without and with a window manager (openbox), a moment after clicking to
# fly: docs/screens/SIZE-nowm.png and SIZE-openbox.png, scaled down to 640
# pixels wide, and docs/screens/crisp-1920x1080.png, a part of the 1920x1080
# screen at its own size. Needs Xvfb, xdotool, ImageMagick and openbox.
set -euo pipefail
cd "$(dirname "$0")/.."
GAME=$(pwd)/build/game
[ -x "$GAME/engine" ] || scripts/build.sh
for tool in Xvfb xdotool import convert openbox; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed (apt-get install xvfb xdotool imagemagick openbox)"; exit 1; }
done
OUT=docs/screens
mkdir -p "$OUT"
WORK=$(mktemp -d)
PIDS=()
trap 'for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$WORK"' EXIT

shoot() {  # SIZE WM(nowm|openbox)
    local size=$1 wm=$2 w=${1%x*} h=${1#*x}
    PIDS=()
    Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$WORK/display" 2>/dev/null &
    local xvfb=$!
    PIDS+=("$xvfb")
    while [ ! -s "$WORK/display" ]; do sleep 0.1; done
    export DISPLAY=":$(head -n1 "$WORK/display")"
    : >"$WORK/display"
    until xdotool getdisplaygeometry >/dev/null 2>&1; do sleep 0.1; done
    if [ "$wm" = openbox ]; then
        openbox >/dev/null 2>&1 &
        PIDS+=("$!")
        sleep 1
    fi
    (cd "$GAME" && exec env SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy ./engine) >/dev/null 2>&1 &
    local engine=$!
    PIDS+=("$engine")
    until xdotool search --name '^Release 1 pre1$' >/dev/null 2>&1; do sleep 0.1; done
    sleep 1.5
    xdotool mousemove $((w / 2)) $((h * 3 / 4)) click 1
    sleep 2.5
    import -window root "$WORK/shot.png"
    xdotool key Escape
    wait "$engine" || true
    [ "$wm" = openbox ] && kill "${PIDS[-2]}" 2>/dev/null
    kill "$xvfb"
    wait "$xvfb" 2>/dev/null || true
    convert "$WORK/shot.png" -filter box -resize 640x "$OUT/$size-$wm.png"
    [ "$size" = 1920x1080 ] && [ "$wm" = nowm ] && convert "$WORK/shot.png" -crop 480x300+720+330 +repage "$OUT/crisp-1920x1080.png"
    echo "wrote $OUT/$size-$wm.png"
}
for size in 1024x768 1920x1080 2560x1440; do
    for wm in nowm openbox; do shoot "$size" "$wm"; done
done
