#!/usr/bin/env bash
# Runs the game as a player gets it from the Debian package: unpacks the .deb
# into a temporary root, checks that the launcher refuses an unusable HOME,
# then starts it with a temporary HOME in a real X window (Xvfb), plays a
# session (click, autopilot, fire) until a high score is saved in
# ~/.local/share/kestra/kestra.cfg, and checks that a second start shows that
# score on the HUD, that Escape ends both with exit code 0 and that nothing
# was written under the unpacked root. Exit code 77 (skipped) when a tool or
# an up-to-date package is missing (scripts/package.sh makes it).
#
# usage: installed_run.sh PACKAGE_FOLDER VERSION GAME_FOLDER
set -u

DIR=${1:?usage: installed_run.sh PACKAGE_FOLDER VERSION GAME_FOLDER}
VERSION=${2:?}
GAME=${3:?}
SKIP=77

for tool in dpkg-deb Xvfb xdotool import convert; do
    command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool is not installed"; exit $SKIP; }
done
DEB=$(ls "$DIR/kestra_${VERSION}_"*.deb 2>/dev/null | head -n1)
[ -n "$DEB" ] || { echo "SKIP: no kestra_${VERSION}_*.deb in $DIR (run scripts/package.sh)"; exit $SKIP; }
NEWER=$(find "$GAME" -maxdepth 1 -newer "$DEB" \( -name engine -o -name '*.so' -o -name '*.bmp' -o -name '*.mid' \) | head -n1)
[ -z "$NEWER" ] || { echo "SKIP: $NEWER is newer than $DEB (run scripts/package.sh)"; exit $SKIP; }

. "$(dirname "$0")/../support/xvfb.sh"
WORK=$(mktemp -d /tmp/installed-run-XXXXXX)
GAME_PID=""
cleanup() {
    if [ -n "$GAME_PID" ] && kill -0 "$GAME_PID" 2>/dev/null; then kill -9 "$GAME_PID" 2>/dev/null; fi
    xvfb_stop
    rm -rf "$WORK"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    [ -s "$WORK/game.err" ] && sed 's/^/game: /' "$WORK/game.err"
    exit 1
}
pass() { echo "ok: $*"; }

ROOT=$WORK/root
dpkg-deb -x "$DEB" "$ROOT" || fail "dpkg-deb -x $DEB"
LAUNCHER=$ROOT/usr/games/kestra
DATA=$ROOT/usr/share/games/kestra
snapshot() { (cd "$ROOT" && find . -printf '%p %y %s %m %T@\n' | sort); }
snapshot >"$WORK/root.before"
pass "unpacked $(basename "$DEB")"

# The launcher refuses a HOME it cannot use, with a message and a failure code.
mkdir "$WORK/locked" && chmod 555 "$WORK/locked"
: >"$WORK/plain-file"
refuse() {
    env -u XDG_DATA_HOME "$@" "$LAUNCHER" >/dev/null 2>"$WORK/refusal" && fail "started with $*"
    grep -q '^kestra: HOME' "$WORK/refusal" || fail "no clear refusal with $*: $(cat "$WORK/refusal")"
}
refuse -u HOME
refuse HOME=
refuse HOME="$WORK/no-such-folder"
refuse HOME="$WORK/plain-file"
[ -w "$WORK/locked" ] || refuse HOME="$WORK/locked" # root may write anywhere
pass "refuses an unset, empty, missing or plain-file HOME: $(cat "$WORK/refusal")"

# With XDG_DATA_HOME no HOME is needed; without a display the engine then
# reports its window and fails.
env -u HOME -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER XDG_DATA_HOME="$WORK/xdg" SDL_AUDIODRIVER=dummy \
    "$LAUNCHER" >/dev/null 2>"$WORK/game.err"
CODE=$?
[ "$CODE" -eq 1 ] && grep -q 'Unexpected Windows error (hwnd was NULL)\.' "$WORK/game.err" ||
    fail "without a display: exit code $CODE"
for file in tiles.bmp sprites.bmp text.bmp song.mid; do
    [ "$(readlink "$WORK/xdg/kestra/$file")" = "$DATA/$file" ] || fail "$WORK/xdg/kestra/$file is not a link to $DATA/$file"
done
pass "without a display: the window message and exit code $CODE; data linked into \$XDG_DATA_HOME/kestra"

xvfb_start 1024x768 "$WORK" >"$WORK/xvfb.msg" || fail "$(cat "$WORK/xvfb.msg")"

export HOME=$WORK/home
mkdir "$HOME"
SAVED=$HOME/.local/share/kestra
# The game ends with the launcher's own process (it execs the engine).
start() {
    env "$@" SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy "$LAUNCHER" >/dev/null 2>"$WORK/game.err" &
    GAME_PID=$!
    for _ in $(seq 200); do
        kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended early"
        xdotool search --name '^Release 1 pre1$' >/dev/null 2>&1 && return
        sleep 0.1
    done
    fail "no game window appeared"
}
no_boxes() {
    local box
    box=$(xdotool search --name '^(Error!|Report)$' 2>/dev/null | head -n1)
    [ -z "$box" ] || fail "a message box came up: $(xdotool getwindowname "$box")"
}
shot() { import -display "$DISPLAY" -window root "$WORK/$1.png" 2>/dev/null || fail "import $1"; }
quit() {
    escape_ends "$GAME_PID" 150
    [ -n "$EXIT_CODE" ] || fail "the game did not end within 15 s of Escape"
    GAME_PID=""
    CODE=$EXIT_CODE
    [ "$CODE" -eq 0 ] || fail "the game ended with exit code $CODE"
}

# Share (0..1) of the drawn pixels of want.png (magenta is the sheets'
# transparent key) that a screenshot shows at (X, Y), allowing for the 16-bit
# display's rounding.
shown() { # SHOT X Y
    local size
    size=$(identify -format '%wx%h' "$WORK/want.png")
    convert "$WORK/$1.png" -crop "$size+$2+$3" +repage "$WORK/got.png"
    convert "$WORK/want.png" -fill white +opaque '#ff00ff' -fill black -opaque '#ff00ff' "$WORK/mask.png"
    convert "$WORK/got.png" "$WORK/want.png" -compose difference -composite -separate -evaluate-sequence max \
        -threshold 12% -negate "$WORK/mask.png" -compose multiply -composite "$WORK/same.png"
    awk -v s="$(convert "$WORK/same.png" -format '%[fx:mean]' info:)" \
        -v m="$(convert "$WORK/mask.png" -format '%[fx:mean]' info:)" 'BEGIN { printf "%.3f", (m > 0 ? s / m : 0) }'
}
sheet_piece() { convert "$DATA/$1" -crop "$4x$5+$2+$3" +repage "$WORK/want.png"; } # SHEET X Y W H
text_piece() { # TEXT: the font's 6 x 8 cells, 25 to a row from code 0
    local i n parts=()
    for ((i = 0; i < ${#1}; i++)); do
        n=$(printf '%d' "'${1:i:1}")
        parts+=("$DATA/text.bmp[6x8+$((n % 25 * 6))+$((n / 25 * 8))]")
    done
    convert "${parts[@]}" +repage +append "$WORK/want.png"
}
# Passes when the HUD line at Y shows LABEL and then NUMBER, the number
# clearly better than one with every digit changed.
expect_hud() { # SHOT LABEL NUMBER Y
    local label right wrong
    text_piece "$2" && label=$(shown "$1" 0 "$4")
    text_piece "$3" && right=$(shown "$1" $((${#2} * 6)) "$4")
    text_piece "$(echo "$3" | tr 0-9 5-90-4)" && wrong=$(shown "$1" $((${#2} * 6)) "$4")
    awk -v l="$label" -v r="$right" -v w="$wrong" 'BEGIN { exit !(l > 0.6 && r > 0.6 && r > w + 0.15) }' ||
        fail "$1: '$2$3' at (0, $4): label $label, number $right, other digits $wrong"
    pass "$1 shows '$2$3' (label $label, number $right, other digits $wrong)"
}

# First start: the HUD with no high score and the banner waiting for a click
# (the "CLICK TO FLY" panel, not the "GET READY" one, at rest at (442, 323)).
start -u XDG_DATA_HOME
sleep 2.5
no_boxes
shot waiting
expect_hud waiting "High Score: " 0 8
sheet_piece sprites.bmp 182 186 141 61 && CLICK=$(shown waiting 442 323)
sheet_piece sprites.bmp 182 124 141 61 && READY=$(shown waiting 442 323)
awk -v r="$CLICK" -v w="$READY" 'BEGIN { exit !(r > 0.6 && r > w + 0.15) }' ||
    fail "waiting: the click banner matches $CLICK, the ready banner $READY"
pass "waiting shows the click banner ($CLICK; ready banner $READY)"

# Click to fly, autopilot on, fire held; click again now and then in case the
# ship is down, until the game has saved a high score (at most 90 s).
xdotool mousemove 512 600 click 1
sleep 3.5
xdotool key a mousedown 1
PLAYED=$SECONDS
for ((t = 0; t < 90; t += 3)); do
    sleep 3
    no_boxes
    grep -qs '^[1-9][0-9]*$' "$SAVED/kestra.cfg" && break
    xdotool mouseup 1 && sleep 0.1 && xdotool mousedown 1
done
xdotool mouseup 1
quit
BEST=$(cat "$SAVED/kestra.cfg" 2>/dev/null)
[[ "$BEST" =~ ^[1-9][0-9]*$ ]] || fail "$SAVED/kestra.cfg holds '$BEST' after $((SECONDS - PLAYED)) s of play"
pass "after $((SECONDS - PLAYED)) s of play: kestra.cfg holds $BEST; Escape: exit 0"

# A stale copy in place of a link is replaced at the next start. The second
# start shows the saved best (with a relative XDG_DATA_HOME, which is ignored).
rm "$SAVED/text.bmp" && echo stale >"$SAVED/text.bmp"
start XDG_DATA_HOME=relative/folder
sleep 2
no_boxes
shot again
expect_hud again "High Score: " "$BEST" 8
expect_hud again "Your Score: " 0 16
quit
[ "$(cat "$SAVED/kestra.cfg")" = "$BEST" ] || fail "kestra.cfg changed to '$(cat "$SAVED/kestra.cfg")'"
[ "$(readlink "$SAVED/text.bmp")" = "$DATA/text.bmp" ] || fail "the stale text.bmp was not replaced by a link"
pass "second start: Escape: exit 0; kestra.cfg still $BEST; stale data file relinked"

snapshot | diff "$WORK/root.before" - >"$WORK/root.diff" || fail "written under the unpacked root: $(cat "$WORK/root.diff")"
pass "nothing written under the unpacked root"
echo "PASS"
