#!/usr/bin/env bash
# The Windows folder end to end: engine.exe and prog.dll unpacked from the
# zip, run under Wine in Xvfb at 1024x768x24 and driven by xdotool.
#   - the first frames show the HUD and the waiting panel;
#   - a played session scores, kestra.cfg holds the high score the HUD shows,
#     and a second start shows it;
#   - Escape ends the program within 10 s with exit code 0;
#   - each missing data file, and a missing or broken prog.dll, gives its
#     message boxes in order (caption from the window, text from Wine's
#     message-box trace), each dismissed by a key press; then the program goes
#     on until Escape;
#   - the MCI sequencer's open and play both succeed.
# Needs WINEPREFIX set to a prefix made for it, and DISPLAY set to the X
# server (Xvfb, 1024x768x24) that the prefix's wineserver was started with:
# scripts/test-windows.sh makes both. Exit code 77 (skipped) when a tool, the
# prefix, the display or an input is missing.
#
# usage: wine_e2e.sh KESTRA_WINDOWS_ZIP SCREEN_CHECK
set -u

ZIP=$(realpath "${1:?usage: wine_e2e.sh KESTRA_WINDOWS_ZIP SCREEN_CHECK}")
CHECK=${2:?usage: wine_e2e.sh KESTRA_WINDOWS_ZIP SCREEN_CHECK}
SKIP=77
skip() {
    echo "SKIP: $*"
    exit $SKIP
}
for tool in wine wineserver xdotool import cmake; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
done
[ -f "$ZIP" ] || skip "$ZIP is missing"
[ -x "$CHECK" ] || skip "$CHECK is missing (build the native tree first)"
[ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX/drive_c" ] || skip "WINEPREFIX does not name a prepared prefix"
[ "$(xdotool getdisplaygeometry 2>/dev/null)" = "1024 768" ] || skip "DISPLAY is not a 1024 x 768 X server"

WORK=$(mktemp -d /tmp/wine-e2e-XXXXXX)
ENGINE_PID=""
cleanup() {
    if [ -n "$ENGINE_PID" ] && kill -0 "$ENGINE_PID" 2>/dev/null; then kill -9 "$ENGINE_PID" 2>/dev/null; fi
    # KESTRA_SHOTS: a folder to keep the screenshots in.
    [ -n "${KESTRA_SHOTS:-}" ] && mkdir -p "$KESTRA_SHOTS" && cp "$WORK"/*.png "$KESTRA_SHOTS" 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT
FAILS=0
fail() {
    echo "FAIL: $*"
    FAILS=$((FAILS + 1))
}
die() {
    echo "FAIL: $*"
    [ -f "$WORK/engine.err" ] && grep -v '^ALSA' "$WORK/engine.err" | tail -20 | sed 's/^/engine: /'
    exit 1
}

(cd "$WORK" && cmake -E tar xf "$ZIP") || die "cannot unpack $ZIP"
GAME=$WORK/kestra
for file in engine.exe prog.dll tiles.bmp sprites.bmp text.bmp song.mid; do
    [ -f "$GAME/$file" ] || die "the zip has no kestra/$file"
done

. "$(dirname "$0")/../support/xvfb.sh"  # escape_ends
# xdotool complains of the input focus on a server with no window manager.
xdotool() { command xdotool "$@" 2>/dev/null; }

# Message boxes trace their text; the MCI calls trace their results.
export WINEDEBUG=-all,+msgbox,+mci

# start FOLDER: starts the engine from FOLDER, as a user who opens it there.
start() {
    (cd "$1" && exec wine ./engine.exe) >"$WORK/engine.out" 2>"$WORK/engine.err" &
    ENGINE_PID=$!
    BOXES=()
}

# Boxes shown so far, as "caption|text"; each is dismissed by a key press.
# The Nth box's text is the Nth traced one: boxes are modal, one at a time.
take_boxes() {
    local box caption text
    for box in $(xdotool search --name '^(Error!|Report)$' 2>/dev/null); do
        caption=$(xdotool getwindowname "$box" 2>/dev/null) || continue
        sleep 0.3  # the text is traced while the box is being built
        text=$(grep -o 'MSGBOX_OnInit L".*"$' "$WORK/engine.err" | sed -n "$((${#BOXES[@]} + 1))p" |
            sed 's/^MSGBOX_OnInit L"//; s/"$//')
        BOXES+=("$caption|$text")
        echo "  box: $caption: $text"
        xdotool key --window "$box" Return 2>/dev/null
        # The same box must not be counted twice.
        for _ in $(seq 30); do
            xdotool search --name '^(Error!|Report)$' 2>/dev/null | grep -qx "$box" || break
            sleep 0.1
        done
    done
}

# boxes_until COUNT SECONDS: takes boxes until COUNT were shown or SECONDS
# passed, then takes any that come up in the next 2 s.
boxes_until() {
    local end=$(($(date +%s%N) + $2 * 1000000000))
    while [ "${#BOXES[@]}" -lt "$1" ] && [ "$(date +%s%N)" -lt "$end" ]; do
        kill -0 "$ENGINE_PID" 2>/dev/null || return 1
        take_boxes
        sleep 0.2
    done
    run_for 2
}

# run_for SECONDS: waits, taking the boxes that come up meanwhile.
run_for() {
    local end=$(($(date +%s%N) + $1 * 1000000000))
    while [ "$(date +%s%N)" -lt "$end" ]; do
        kill -0 "$ENGINE_PID" 2>/dev/null || return 1
        take_boxes
        sleep 0.2
    done
}

# Waits for the engine's window (20 s at most).
wait_window() {
    for _ in $(seq 100); do
        kill -0 "$ENGINE_PID" 2>/dev/null || die "the engine ended early"
        take_boxes
        WID=$(xdotool search --name '^Release 1 pre1$' 2>/dev/null | head -n1)
        [ -n "$WID" ] && return 0
        sleep 0.2
    done
    die "no engine window appeared"
}

# Escape must end the program within 10 s with exit code 0.
escape_ends_promptly() {
    escape_ends "$ENGINE_PID" 100
    if [ -z "$EXIT_CODE" ]; then
        fail "$1: the engine did not end within 10 s of Escape"
        kill -9 "$ENGINE_PID"
        wineserver -k
    elif [ "$EXIT_CODE" -eq 0 ]; then
        echo "  Escape: exit code 0 after $ESCAPE_MS ms"
    else
        fail "$1: exit code $EXIT_CODE after Escape"
    fi
    ENGINE_PID=""
}

# expect_boxes NAME BOX...: the boxes shown, in order, were exactly these.
expect_boxes() {
    local name=$1
    shift
    local want got
    want=$(printf '%s\n' "$@")
    got=$(printf '%s\n' "${BOXES[@]}")
    [ "$got" = "$want" ] || fail "$name: boxes were [${got//$'\n'/; }], not [${want//$'\n'/; }]"
}

# The sequencer's open and play: the results Wine traces for them are 0.
music_started() {
    local results
    results=$(awk '/mciSendCommandA \([0-9a-f]+, MCI_(OPEN|PLAY)/ { want = 1 }
                   want && /mciSendCommandW => / { print $NF; want = 0 }' "$WORK/engine.err" | tr '\n' ' ')
    [ "$results" = "00000000 00000000 " ] && echo "  MCI open and play: 0, 0" ||
        fail "the MCI open and play results were '${results}'"
}

echo "== the first frames, and a played session"
PLAY=$WORK/play
cp -r "$GAME" "$PLAY"
start "$PLAY"
wait_window
run_for 3
import -window root "$WORK/first.png" || die "no screenshot"
"$CHECK" "$WORK/first.png" "$PLAY" waiting | sed 's/^/  /'
[ "${PIPESTATUS[0]}" -eq 0 ] || fail "the first frames do not show the HUD and the waiting panel"
music_started
# Click to fly in, let the ship arrive, autopilot on, fire held; a click now
# and then restarts after the ship is destroyed.
xdotool mousemove 512 600 click 1
run_for 4
xdotool key a mousedown 1
for _ in $(seq 9); do
    run_for 4 || break
    xdotool mouseup 1 mousedown 1
done
xdotool mouseup 1
run_for 1
import -window root "$WORK/played.png"
SAVED=$(cat "$PLAY/kestra.cfg" 2>/dev/null)
echo "  kestra.cfg: '${SAVED}'"
[[ "$SAVED" =~ ^[1-9][0-9]*$ ]] || fail "the session did not score (kestra.cfg holds '${SAVED}')"
"$CHECK" "$WORK/played.png" "$PLAY" high "$SAVED" | sed 's/^/  /'
[ "${PIPESTATUS[0]}" -eq 0 ] || fail "the HUD does not show the saved high score"
expect_boxes "played session"
escape_ends_promptly "played session"

echo "== a second start shows the high score"
start "$PLAY"
wait_window
run_for 3
import -window root "$WORK/again.png"
"$CHECK" "$WORK/again.png" "$PLAY" high "$SAVED" | sed 's/^/  /'
[ "${PIPESTATUS[0]}" -eq 0 ] || fail "the second start does not show the high score"
escape_ends_promptly "second start"
[ "$(cat "$PLAY/kestra.cfg")" = "$SAVED" ] || fail "the second start changed kestra.cfg"

# missing COUNT NAME [REPLACEMENT]: a folder without NAME (or with
# REPLACEMENT's bytes in its place) starts, shows its COUNT boxes, goes on, and
# ends on Escape.
missing() {
    local count=$1
    shift
    local name=$1
    local folder=$WORK/without-$name
    rm -rf "$folder"
    cp -r "$GAME" "$folder"
    rm "$folder/$name"
    [ $# -gt 1 ] && printf '%s' "$2" >"$folder/$name"
    start "$folder"
    boxes_until "$count" 30 || fail "$name: the engine ended by itself"
    kill -0 "$ENGINE_PID" 2>/dev/null && escape_ends_promptly "$name"
}

for name in tiles.bmp sprites.bmp text.bmp; do
    echo "== $name missing"
    missing 3 "$name"
    store="Error!|Image could not be loaded and/or found"
    [ "$name" = tiles.bmp ] && store="Report|Head image could not be loaded and/or found"
    expect_boxes "$name" "$store" "Report|Could not load $name." "Report|VProgInterface(&prog) failed"
done
echo "== song.mid missing"
missing 1 song.mid
expect_boxes song.mid "Report|No midi for you!"
echo "== prog.dll missing"
missing 1 prog.dll
expect_boxes "prog.dll missing" "Error!|prog.dll was not found or is not a valid DLL."
echo "== prog.dll broken"
missing 1 prog.dll "this is not a DLL"
expect_boxes "prog.dll broken" "Error!|prog.dll was not found or is not a valid DLL."

[ "$FAILS" -eq 0 ] || exit 1
echo "PASS"
