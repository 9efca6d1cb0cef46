#!/usr/bin/env bash
# The real engine in a real X window (Xvfb, no window manager) of the given screen size, driven by xdotool:
# the window's class is kestra and it has an icon, it covers the screen, the picture is letter-boxed between
# black bars, the game's pointer move at the end of the fly-in lands on the right screen pixel, Escape ends
# it with exit code 0, the music is not silence. At 1024x768, a start without sprites.bmp gives its boxes,
# then a black screen, and ends with 1. Exit code 77 (skipped) when a tool or a game file is missing.
# usage: real_window.sh GAME_FOLDER [WIDTHxHEIGHT]   (default 1024x768)
set -u
GAME=${1:?usage: real_window.sh GAME_FOLDER [WIDTHxHEIGHT]}
SIZE=${2:-1024x768}
SCREEN_W=${SIZE%x*} SCREEN_H=${SIZE#*x}
for need in Xvfb xdotool import identify convert xwininfo xprop sox \
    "$GAME"/{engine,prog.so,tiles.bmp,sprites.bmp,text.bmp,song.mid,icon.bmp}; do
    [ -e "$need" ] || command -v "$need" >/dev/null || { echo "SKIP: $need is missing" && exit 77; }
done
HERE=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d /tmp/real-window-XXXXXX)
. "$HERE/../support/xvfb.sh"
trap session_end EXIT
xvfb_start "$SIZE" "$WORK"
# Leaks of drivers unloaded before exit (GL, audio) cannot be matched by library name: this run checks for
# memory errors only; the headless runs check the engine's own leaks.
export LSAN_OPTIONS="suppressions=$HERE/../support/lsan_system.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
# SDL's disk driver writes the mixed music to a file (raw 44.1 kHz signed 16-bit stereo); the X11 driver
# is named so that SDL cannot fall back to another one silently.
engine() { cd "$GAME" && exec env SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$WORK/audio.raw" ./engine; }
game_start engine
named() {
    SEEN="$(xprop -id "$WID" WM_CLASS) $(xprop -id "$WID" -f _NET_WM_ICON 32c ' $0x$1' _NET_WM_ICON)"
    [ "$SEEN" = 'WM_CLASS(STRING) = "kestra", "kestra" _NET_WM_ICON(CARDINAL) 64x64' ]
}
wait_until 60 "the window's class is kestra and it has a 64 x 64 icon" named
covers_screen() {
    SEEN=$(xwininfo -id "$WID" | awk '/Absolute upper-left [XY]|Width|Height/ {printf "%s ", $NF}')
    [ "$SEEN" = "0 0 $SCREEN_W $SCREEN_H " ]
}
wait_until 60 "the window covers the whole $SIZE screen (at, size)" covers_screen
# The 4:3 picture's place: as high or as wide as the screen, centred.
if [ $((SCREEN_W * 3)) -le $((SCREEN_H * 4)) ]; then
    PIC_W=$SCREEN_W PIC_H=$(((SCREEN_W * 3 + 2) / 4))
else
    PIC_H=$SCREEN_H PIC_W=$(((SCREEN_H * 4 + 1) / 3))
fi
PIC_X=$(((SCREEN_W - PIC_W) / 2)) PIC_Y=$(((SCREEN_H - PIC_H) / 2))
# The screen pixel at the centre of picture pixel ($1, $2).
screen_at() { echo "$((PIC_X + (2 * $1 + 1) * PIC_W / 2048)) $((PIC_Y + (2 * $2 + 1) * PIC_H / 1536))"; }
# Start-up is over (its boxes would have come) once the picture is on the screen.
drawn() {
    take_boxes
    import -window root "$WORK/shot.png" 2>/dev/null || return 1
    SEEN="$(identify -format '%k' "$WORK/shot.png") colours"
    [ "${SEEN% *}" -gt 16 ]
}
wait_until 60 "the screen shows the game's picture" drawn
BARS=$(convert "$WORK/shot.png" -fill black -draw "rectangle $PIC_X,$PIC_Y $((PIC_X + PIC_W - 1)),$((PIC_Y + PIC_H - 1))" \
    -format '%k %[fx:maxima]' info:)
[ "$BARS" = "1 0" ] || fail "the bars around the picture are not black (colours, brightest: $BARS)"
# The game's pointer move at the end of the fly-in: picture pixel (504, 393).
fly_in $(screen_at 512 600) $(screen_at 504 393)
no_boxes
game_quit
RMS=$(sox -t raw -r 44100 -e signed -b 16 -c 2 -L "$WORK/audio.raw" -n stat 2>&1 | awk '/RMS +amplitude/ {print $3}')
awk -v r="${RMS:-0}" 'BEGIN { exit !(r > 0.005) }' || fail "the music is silent (RMS amplitude ${RMS:-?})"
if [ "$SIZE" = 1024x768 ]; then
    mkdir "$WORK/broken" && cp -a "$GAME"/. "$WORK/broken" && rm "$WORK/broken/sprites.bmp"
    GAME=$WORK/broken
    game_start engine
    black_after_boxes() {
        take_boxes
        import -window root "$WORK/shot.png" 2>/dev/null || return 1
        SEEN="boxes ${BOXES[*]}; colours, brightest: $(convert "$WORK/shot.png" -format '%k %[fx:maxima]' info:)"
        [ "$SEEN" = "boxes Error! Report Report; colours, brightest: 1 0" ]
    }
    wait_until 60 "the failed start's three boxes, then a black screen" black_after_boxes
    game_quit 1
fi
echo "PASS (music RMS amplitude $RMS)"
