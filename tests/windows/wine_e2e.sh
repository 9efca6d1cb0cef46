#!/usr/bin/env bash
# The Windows folder from the zip under Wine, driven by xdotool: the first frames, MCI open and play
# succeeding, a played session's high score shown again by a second start; each missing data file and a
# missing or broken prog.dll giving its message boxes in order (caption from the window, text from Wine's
# trace); Escape ending every run with exit code 0, or 1 when the game never started. Needs WINEPREFIX and
# DISPLAY (Xvfb, 1024x768x24) as scripts/test-windows.sh makes them; exit code 77 (skipped) when a tool, the
# prefix or an input is missing.
# usage: wine_e2e.sh KESTRA_WINDOWS_ZIP SCREEN_CHECK
set -u
ZIP=$(realpath "${1:?usage: wine_e2e.sh KESTRA_WINDOWS_ZIP SCREEN_CHECK}")
CHECK=${2:?usage: wine_e2e.sh KESTRA_WINDOWS_ZIP SCREEN_CHECK}
skip() { echo "SKIP: $*" && exit 77; }
for tool in wine wineserver xdotool import cmake; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done
[ -f "$ZIP" ] || skip "$ZIP is missing"
[ -x "$CHECK" ] || skip "$CHECK is missing (build the native tree first)"
[ -d "${WINEPREFIX:-}/drive_c" ] || skip "WINEPREFIX does not name a prepared prefix"
[ "$(xdotool getdisplaygeometry 2>/dev/null)" = "1024 768" ] || skip "DISPLAY is not a 1024 x 768 X server"
WORK=$(mktemp -d /tmp/wine-e2e-XXXXXX)
. "$(dirname "$0")/../support/xvfb.sh"
trap '[ -z "$GAME_PID" ] || wineserver -k; session_end' EXIT
(cd "$WORK" && cmake -E tar xf "$ZIP") || fail "cannot unpack $ZIP"
GAME=$WORK/kestra
for file in engine.exe prog.dll tiles.bmp sprites.bmp text.bmp song.mid; do
    [ -f "$GAME/$file" ] || fail "the zip has no kestra/$file"
done

# The Nth box's text is the Nth traced one (boxes are modal); the MCI calls trace their results.
export WINEDEBUG=-all,+msgbox,+mci
box_text() {
    wait_until 60 "the text of box $(($1 + 1)) is traced" traced $(($1 + 1))
    TEXT=$(grep -o 'MSGBOX_OnInit L".*"$' "$WORK/game.err" | sed -n "$(($1 + 1))p" | sed 's/^MSGBOX_OnInit L"//; s/"$//')
}
traced() { [ "$(grep -c 'MSGBOX_OnInit L"' "$WORK/game.err")" -ge "$1" ]; }
music_started() {
    SEEN=$(awk '/mciSendCommandA \([0-9a-f]+, MCI_(OPEN|PLAY)/ { want = 1 }
                want && /mciSendCommandW => / { print $NF; want = 0 }' "$WORK/game.err" | tr '\n' ' ')
    [ "$SEEN" = "00000000 00000000 " ]
}
engine() { cd "$1" && exec wine ./engine.exe; }

echo "== the first frames, a played session and a second start"
PLAY=$WORK/play
cp -r "$GAME" "$PLAY"
first_run "$PLAY" "$PLAY/kestra.cfg" engine "$PLAY"
wait_until 60 "the MCI open and play results are 0" music_started
again_run "$PLAY" "$PLAY/kestra.cfg" engine "$PLAY"

# missing FILE BYTES BOX...: a folder without FILE (or with BYTES in its place) shows exactly these boxes.
missing() {
    local name=$1 bytes=$2 folder=$WORK/without-$1 want got
    shift 2
    echo "== $name: ${bytes:-missing}"
    rm -rf "$folder" && cp -r "$GAME" "$folder" && rm "$folder/$name"
    [ -z "$bytes" ] || printf '%s' "$bytes" >"$folder/$name"
    game_start engine "$folder"
    wait_until 60 "$name: $# message boxes" boxes_shown $#
    game_quit "$([ "$name" = song.mid ] && echo 0 || echo 1)"  # 1: the game never started
    want=$(printf '%s\n' "$@") got=$(printf '%s\n' "${BOXES[@]}")
    [ "$got" = "$want" ] || fail "$name: boxes were [${got//$'\n'/; }], not [${want//$'\n'/; }]"
}
boxes_shown() { take_boxes; [ ${#BOXES[@]} -ge "$1" ]; }
for name in tiles.bmp sprites.bmp text.bmp; do
    store="Error!|Image could not be loaded and/or found"
    [ "$name" = tiles.bmp ] && store="Report|Head image could not be loaded and/or found"
    missing "$name" "" "$store" "Report|Could not load $name." "Report|VProgInterface(&prog) failed"
done
missing song.mid "" "Report|No midi for you!"
missing prog.dll "" "Error!|prog.dll was not found or is not a valid DLL."
missing prog.dll "this is not a DLL" "Error!|prog.dll was not found or is not a valid DLL."
echo "PASS"
