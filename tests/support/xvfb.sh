# Sourced by the scripts that run the game in a real X window: an X server of their own, the game with its
# message boxes recorded and dismissed, every wait on a condition with a deadline. The caller sets WORK to a
# folder of its own (the game writes WORK/game.out and game.err) and CHECK to screen_check.
XVFB_PID="" GAME_PID="" SEEN="" BOXES=()

fail() {
    echo "FAIL: $*"
    [ -s "${WORK:-}/game.err" ] && grep -v '^ALSA' "$WORK/game.err" | tail -20 | sed 's/^/game: /'
    exit 1
}
# wait_until SECONDS DESCRIPTION COMMAND...: runs COMMAND (in this shell) until it succeeds; after SECONDS
# fails with DESCRIPTION and what COMMAND last put in SEEN.
wait_until() {
    local seconds=$1 what=$2 deadline=$(($(date +%s) + $1))
    shift 2
    SEEN=""
    until "$@"; do
        [ "$(date +%s)" -lt "$deadline" ] || fail "$what: not within $seconds s${SEEN:+; saw: $SEEN}"
        sleep 0.1
    done
}
# xvfb_start SIZE FOLDER: Xvfb with one 24-bit screen of SIZE; exports DISPLAY once it answers. -noreset:
# else the server resets as each xdotool call leaves, dropping a client (the game) that connects then.
xvfb_start() {
    Xvfb -displayfd 3 -screen 0 "${1}x24" -nolisten tcp -noreset 3>"$2/display" 2>"$2/xvfb.err" &
    XVFB_PID=$!
    wait_until 60 "Xvfb starts" xvfb_up "$2" test -s "$2/display"
    export DISPLAY=":$(head -n1 "$2/display")"
    wait_until 60 "$DISPLAY answers" xvfb_up "$2" xdotool getdisplaygeometry
}
xvfb_up() { # FOLDER COMMAND...: whether Xvfb still runs and COMMAND succeeds
    SEEN=$(cat "$1/xvfb.err")
    kill -0 "$XVFB_PID" 2>/dev/null || fail "Xvfb ended: $SEEN"
    "${@:2}" >/dev/null 2>&1
}
xvfb_stop() { [ -z "$XVFB_PID" ] || { kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null; } || true; }
session_end() { # the exit trap
    [ -z "$GAME_PID" ] || kill -9 "$GAME_PID" 2>/dev/null
    xvfb_stop
    rm -rf "$WORK"
}
# take_boxes: records each message box in BOXES as "caption", or "caption|text" when the caller's box_text N
# sets TEXT for the Nth box, and dismisses it with a key press.
box_text() { TEXT=""; }
take_boxes() {
    local box caption
    for box in $(box_windows); do
        caption=$(xdotool getwindowname "$box" 2>/dev/null) || continue
        box_text "${#BOXES[@]}"
        BOXES+=("$caption${TEXT:+|$TEXT}")
        echo "message box: ${BOXES[-1]}"
        xdotool key --window "$box" Return 2>/dev/null
        wait_until 60 "box $box goes" box_gone "$box"
    done
}
# The boxes' windows (xdotool's search misses a title set only as UTF-8, as SDL sets it).
box_windows() { xwininfo -root -tree 2>/dev/null | awk '$2 ~ /^"(Error!|Report)":?$/ {print $1}'; }
# A box is gone when its window is, or when the game has begun the next box (it writes each box to standard
# error first): a new connection per box lets the next one reuse the same window id.
box_gone() {
    ! box_windows | grep -qx "$1" ||
        [ "$(grep -cE '^(Error!|Report): ' "$WORK/game.err" 2>/dev/null)" -gt "${#BOXES[@]}" ]
}
no_boxes() { [ ${#BOXES[@]} -eq 0 ] || fail "message boxes were shown: ${BOXES[*]}"; }
game_start() { # COMMAND...: starts the game and waits for its window, WID
    "$@" >"$WORK/game.out" 2>"$WORK/game.err" &
    GAME_PID=$! BOXES=()
    wait_until 60 "the game's window appears" game_window
}
game_window() {
    kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended early"
    take_boxes
    WID=$(xdotool search --onlyvisible --name '^Release 1 pre1$' 2>/dev/null | head -n1)
    [ -n "$WID" ]
}
# fly_in X Y SHIP_X SHIP_Y: a click at (X, Y) starts the fly-in, which ends with the pointer on the ship.
fly_in() {
    xdotool mousemove "$1" "$2" click 1
    wait_until 60 "the fly-in puts the pointer at ($3, $4)" on_ship "$3" "$4"
}
on_ship() {
    take_boxes
    SEEN=$(xdotool getmouselocation 2>/dev/null | sed 's/x:\([0-9]*\) y:\([0-9]*\).*/\1 \2/')
    [ "$SEEN" = "$1 $2" ]
}
scored() { # CFG: whether CFG holds a high score; clicks again every 3 s in case the ship is down
    take_boxes
    SEEN=$(cat "$1" 2>/dev/null)
    [[ "$SEEN" =~ ^[1-9][0-9]*$ ]] && return
    [ "$SECONDS" -lt $((CLICKED + 3)) ] || { xdotool mouseup 1 mousedown 1 && CLICKED=$SECONDS; }
    return 1
}
shows() { # FOLDER CHECK...: whether a screenshot shows what `screen_check SHOT FOLDER CHECK...` checks
    take_boxes
    import -window root "$WORK/shot.png" 2>/dev/null && SEEN=$("$CHECK" "$WORK/shot.png" "$@")
}
# first_run FOLDER CFG COMMAND...: the game COMMAND starts shows the HUD and waiting panel (bitmaps of FOLDER);
# a click flies in; autopilot and fire save a high score BEST in CFG that the HUD shows; Escape ends it.
first_run() {
    game_start "${@:3}"
    wait_until 60 "the first frames show the HUD and the waiting panel" shows "$1" waiting
    fly_in 512 600 504 393
    xdotool key a mousedown 1
    CLICKED=$SECONDS
    wait_until 120 "a high score saved in $2" scored "$2"
    xdotool mouseup 1
    wait_until 60 "the HUD shows the high score $2 holds" shows_saved "$1" "$2"
    no_boxes
    game_quit
    BEST=$(cat "$2")
}
shows_saved() { shows "$1" high "$(cat "$2")"; }
# again_run FOLDER CFG COMMAND...: a second start shows BEST, keeps it in CFG.
again_run() {
    game_start "${@:3}"
    wait_until 60 "the second start shows the high score $BEST" shows "$1" again "$BEST"
    no_boxes
    game_quit
    [ "$(cat "$2")" = "$BEST" ] || fail "$2 changed to '$(cat "$2")'"
}
# game_quit [CODE]: presses Escape (again every 5 s: one pressed as a box goes may find no window) until the
# game ends, its boxes still taken; its exit code must be CODE (default 0).
game_quit() {
    PRESSED=-5
    wait_until 60 "the game ends on Escape" game_ended
    local code=0
    wait "$GAME_PID" || code=$?
    GAME_PID=""
    [ "$code" -eq "${1:-0}" ] || fail "the game ended with exit code $code, not ${1:-0}"
}
game_ended() {
    take_boxes
    [ "$SECONDS" -lt $((PRESSED + 5)) ] || { xdotool key Escape 2>/dev/null && PRESSED=$SECONDS; }
    ! kill -0 "$GAME_PID" 2>/dev/null
}
