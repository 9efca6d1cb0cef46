#!/usr/bin/env bash
# Runs the real engine from the game folder in a real X window (Xvfb, no
# window manager) of the given screen size, drives it with xdotool, checks that
# the window covers the screen with the picture letter-boxed in it, that the
# game's own pointer move lands on the right screen pixel, that the picture is
# drawn and that Escape ends the program with exit code 0. Exit code 77
# (skipped) when a tool or a file of the game folder is missing.
#
# usage: real_window.sh GAME_FOLDER [WIDTHxHEIGHT]   (default 1024x768)
set -u

GAME=${1:?usage: real_window.sh GAME_FOLDER [WIDTHxHEIGHT]}
SIZE=${2:-1024x768}
SCREEN_W=${SIZE%x*}
SCREEN_H=${SIZE#*x}
SKIP=77

for tool in Xvfb xdotool import identify convert xwininfo; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed"
        exit $SKIP
    fi
done
for file in engine prog.so tiles.bmp sprites.bmp text.bmp song.mid; do
    if [ ! -e "$GAME/$file" ]; then
        echo "SKIP: $GAME/$file is missing (the game and its data are not built yet)"
        exit $SKIP
    fi
done

HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/../support/xvfb.sh"
WORK=$(mktemp -d /tmp/real-window-XXXXXX)
ENGINE_PID=""
cleanup() {
    if [ -n "$ENGINE_PID" ] && kill -0 "$ENGINE_PID" 2>/dev/null; then kill -9 "$ENGINE_PID" 2>/dev/null; fi
    xvfb_stop
    rm -rf "$WORK"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    [ -f "$WORK/engine.err" ] && sed 's/^/engine: /' "$WORK/engine.err"
    exit 1
}

xvfb_start "$SIZE" "$WORK" >"$WORK/xvfb.msg" || fail "$(cat "$WORK/xvfb.msg")"
echo "Xvfb on $DISPLAY"

# In a sanitizer build, leaks inside system libraries are not the engine's.
# Those of drivers that are unloaded before exit (GL, audio) cannot be matched
# by library name, so the real-window run checks for memory errors only; the
# engine's own leaks are checked by the headless runs of the same code.
export LSAN_OPTIONS="suppressions=$HERE/../support/lsan_system.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

# No sound device is needed: SDL's disk driver writes the mixed music to a
# file (raw 44.1 kHz signed 16-bit stereo), which is checked for sound below.
# The X11 driver is named so that SDL cannot fall back silently to another
# one when the connection fails (the test then says so).
(cd "$GAME" && exec env SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$WORK/audio.raw" ./engine) \
    >"$WORK/engine.out" 2>"$WORK/engine.err" &
ENGINE_PID=$!

# Waits up to $1 tenths of a second for the engine's window; message boxes
# that come up meanwhile are recorded and dismissed.
BOXES=0
find_window() {
    local tries=$1
    for _ in $(seq "$tries"); do
        kill -0 "$ENGINE_PID" 2>/dev/null || fail "the engine ended early"
        for box in $(xdotool search --name '^(Error!|Report)$' 2>/dev/null); do
            echo "message box: $(xdotool getwindowname "$box" 2>/dev/null)"
            BOXES=$((BOXES + 1))
            xdotool key --window "$box" Return 2>/dev/null
        done
        WID=$(xdotool search --name '^Release 1 pre1$' 2>/dev/null | head -n1)
        [ -n "$WID" ] && return 0
        sleep 0.1
    done
    return 1
}
WID=""
find_window 200 || fail "no engine window appeared"
echo "engine window $WID"

# The 4:3 picture's place on the screen: as high or as wide as the screen, centred.
if [ $((SCREEN_W * 3)) -le $((SCREEN_H * 4)) ]; then
    PIC_W=$SCREEN_W PIC_H=$(((SCREEN_W * 3 + 2) / 4))
else
    PIC_H=$SCREEN_H PIC_W=$(((SCREEN_H * 4 + 1) / 3))
fi
PIC_X=$(((SCREEN_W - PIC_W) / 2)) PIC_Y=$(((SCREEN_H - PIC_H) / 2))
# The screen pixel at the centre of picture pixel ($1, $2).
screen_at() { echo "$((PIC_X + (2 * $1 + 1) * PIC_W / 2048)) $((PIC_Y + (2 * $2 + 1) * PIC_H / 1536))"; }

# Let start-up finish (boxes from the game's set-up would come now), then play.
sleep 1
find_window 10
GEOMETRY=$(xwininfo -id "$WID" | awk '/Absolute upper-left [XY]|Width|Height/ {printf "%s ", $NF}')
[ "$GEOMETRY" = "0 0 $SCREEN_W $SCREEN_H " ] || fail "the window is at/size $GEOMETRY, not the whole $SIZE screen"
xdotool mousemove $(screen_at 512 600)
sleep 0.3
xdotool click 1
sleep 0.3
xdotool mousemove $(screen_at 400 500)
xdotool key 2
sleep 1.5
find_window 10
[ "$BOXES" -eq 0 ] || fail "$BOXES message box(es) were shown (see above)"
# The fly-in has ended by now with the game putting the pointer on the
# ship's centre, picture pixel (504, 393).
POINTER=$(xdotool getmouselocation | sed 's/x:\([0-9]*\) y:\([0-9]*\).*/\1 \2/')
[ "$POINTER" = "$(screen_at 504 393)" ] || fail "the pointer is at $POINTER, not at $(screen_at 504 393)"

import -display "$DISPLAY" -window root "$WORK/shot.png" 2>"$WORK/import.err" || fail "import: $(cat "$WORK/import.err")"
COLOURS=$(identify -format '%k' "$WORK/shot.png" 2>/dev/null)
echo "screenshot: ${COLOURS:-?} colours"
[ -n "$COLOURS" ] && [ "$COLOURS" -gt 16 ] || fail "the screen shows no game picture (${COLOURS:-?} colours)"
# The bars beside or above and below the picture are black.
BARS=$(convert "$WORK/shot.png" -fill black -draw "rectangle $PIC_X,$PIC_Y $((PIC_X + PIC_W - 1)),$((PIC_Y + PIC_H - 1))" \
    -format '%k %[fx:maxima]' info: 2>/dev/null)
[ "$BARS" = "1 0" ] || fail "the bars around the picture are not black (colours, brightest: ${BARS:-?})"

escape_ends "$ENGINE_PID" 150
[ -n "$EXIT_CODE" ] || fail "the engine did not end within 15 s of Escape"
ENGINE_PID=""
[ "$EXIT_CODE" -eq 0 ] || fail "the engine ended with exit code $EXIT_CODE"

# The music played: the written audio is not silence.
[ -s "$WORK/audio.raw" ] || fail "no audio was written"
if command -v sox >/dev/null 2>&1; then
    RMS=$(sox -t raw -r 44100 -e signed -b 16 -c 2 -L "$WORK/audio.raw" -n stat 2>&1 | awk '/RMS +amplitude/ {print $3}')
    echo "audio: $(stat -c %s "$WORK/audio.raw") bytes, RMS amplitude ${RMS:-?}"
    awk -v r="${RMS:-0}" 'BEGIN { exit !(r > 0.005) }' || fail "the music is silent (RMS amplitude ${RMS:-?})"
fi
echo "PASS"
