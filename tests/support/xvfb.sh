# Sourced by the scripts that run the game in a real X window: an X server of
# their own (Xvfb), started at a given size and stopped by xvfb_stop, and the
# Escape that must end the game.
#
# -noreset: by default the server resets whenever its last client leaves, and
# a client that connects during the reset is dropped. Each xdotool call of a
# test is such a client, and one that leaves just as the game connects would
# make the game's window fail at random.

XVFB_PID=""

# xvfb_start SIZE FOLDER: starts Xvfb with one screen of SIZE (e.g. 1024x768)
# at 24 bits, its messages in FOLDER/xvfb.err, and exports DISPLAY once the
# server answers a client. Returns 1 with a message on standard output when
# it does not.
xvfb_start() {
    local size=$1 folder=$2
    Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$folder/display" 2>"$folder/xvfb.err" &
    XVFB_PID=$!
    # Xvfb picks a free display itself and writes its number once it accepts clients.
    for _ in $(seq 100); do
        [ -s "$folder/display" ] && break
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    if [ ! -s "$folder/display" ]; then
        echo "Xvfb did not start: $(cat "$folder/xvfb.err")"
        return 1
    fi
    export DISPLAY=":$(head -n1 "$folder/display")"
    for _ in $(seq 50); do
        xdotool getdisplaygeometry >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "$DISPLAY does not answer: $(cat "$folder/xvfb.err")"
    return 1
}

xvfb_stop() {
    if [ -n "$XVFB_PID" ] && kill -0 "$XVFB_PID" 2>/dev/null; then
        kill "$XVFB_PID" 2>/dev/null
        wait "$XVFB_PID" 2>/dev/null
    fi
    XVFB_PID=""
}

# escape_ends PID TENTHS: presses Escape and waits up to TENTHS tenths of a
# second for the program PID (a child of the caller) to end. Sets EXIT_CODE to
# its exit code, or to "" when it is still running; ESCAPE_MS to the time
# it took.
escape_ends() {
    local pid=$1 tenths=$2 pressed
    pressed=$(date +%s%N)
    xdotool key Escape 2>/dev/null
    for _ in $(seq "$tenths"); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    ESCAPE_MS=$((($(date +%s%N) - pressed) / 1000000))
    EXIT_CODE=""
    kill -0 "$pid" 2>/dev/null && return 0
    wait "$pid"
    EXIT_CODE=$?
}
