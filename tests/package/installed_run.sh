#!/usr/bin/env bash
# The game from the Debian package, unpacked into a temporary root: the launcher refuses an unusable HOME,
# without a display links the data files and reports the window; in a real X window (Xvfb) with a temporary
# HOME it plays to a high score in ~/.local/share/kestra/kestra.cfg that a second start shows, and writes
# nothing under the root. Exit code 77 (skipped) without a tool or an up-to-date package (scripts/package.sh).
# usage: installed_run.sh PACKAGE_FOLDER VERSION GAME_FOLDER SCREEN_CHECK
set -u
DIR=${1:?usage: installed_run.sh PACKAGE_FOLDER VERSION GAME_FOLDER SCREEN_CHECK}
VERSION=${2:?} GAME=${3:?} CHECK=${4:?}
for tool in dpkg-deb Xvfb xdotool import; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed" && exit 77; }
done
DEB=$(ls "$DIR/kestra_${VERSION}_"*.deb 2>/dev/null | head -n1)
[ -n "$DEB" ] || { echo "SKIP: no kestra_${VERSION}_*.deb in $DIR (run scripts/package.sh)" && exit 77; }
NEWER=$(find "$GAME" -maxdepth 1 -newer "$DEB" \( -name engine -o -name '*.so' -o -name '*.bmp' -o -name '*.mid' \) | head -n1)
[ -z "$NEWER" ] || { echo "SKIP: $NEWER is newer than $DEB (run scripts/package.sh)" && exit 77; }
WORK=$(mktemp -d /tmp/installed-run-XXXXXX)
. "$(dirname "$0")/../support/xvfb.sh"
trap session_end EXIT
ROOT=$WORK/root
dpkg-deb -x "$DEB" "$ROOT" || fail "dpkg-deb -x $DEB"
LAUNCHER=$ROOT/usr/games/kestra DATA=$ROOT/usr/share/games/kestra
snapshot() { (cd "$ROOT" && find . -printf '%p %y %s %m %T@\n' | sort); }
snapshot >"$WORK/root.before"

mkdir "$WORK/locked" && chmod 555 "$WORK/locked" && : >"$WORK/plain-file"
refuse() {
    env -u XDG_DATA_HOME "$@" "$LAUNCHER" >/dev/null 2>"$WORK/refusal" && fail "started with $*"
    grep -q '^kestra: HOME' "$WORK/refusal" || fail "no clear refusal with $*: $(cat "$WORK/refusal")"
}
refuse -u HOME
refuse HOME=
refuse HOME="$WORK/no-such-folder"
refuse HOME="$WORK/plain-file"
[ -w "$WORK/locked" ] || refuse HOME="$WORK/locked" # root may write anywhere

# With XDG_DATA_HOME no HOME is needed: the data files are linked there; without a display the engine fails.
env -u HOME -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER XDG_DATA_HOME="$WORK/xdg" SDL_AUDIODRIVER=dummy \
    "$LAUNCHER" >/dev/null 2>"$WORK/game.err"
CODE=$?
[ "$CODE" -eq 1 ] && grep -q 'Unexpected Windows error (hwnd was NULL)\.' "$WORK/game.err" ||
    fail "without a display: exit code $CODE"
for file in tiles.bmp sprites.bmp text.bmp song.mid; do
    [ "$(readlink "$WORK/xdg/kestra/$file")" = "$DATA/$file" ] || fail "$WORK/xdg/kestra/$file is not a link to $DATA/$file"
done

xvfb_start 1024x768 "$WORK"
export HOME=$WORK/home
SAVED=$HOME/.local/share/kestra
mkdir "$HOME"
# The game ends with the launcher's own process (it execs the engine).
launch() { exec env "$@" SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy "$LAUNCHER"; }

# A stale copy in place of a link is replaced at the next start (whose relative XDG_DATA_HOME is ignored).
first_run "$DATA" "$SAVED/kestra.cfg" launch -u XDG_DATA_HOME
rm "$SAVED/text.bmp" && echo stale >"$SAVED/text.bmp"
again_run "$DATA" "$SAVED/kestra.cfg" launch XDG_DATA_HOME=relative/folder
[ "$(readlink "$SAVED/text.bmp")" = "$DATA/text.bmp" ] || fail "the stale text.bmp was not replaced by a link"
snapshot | diff "$WORK/root.before" - >"$WORK/root.diff" || fail "written under the unpacked root: $(cat "$WORK/root.diff")"
echo "PASS: high score $BEST saved and shown again"
