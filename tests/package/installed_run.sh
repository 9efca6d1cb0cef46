#!/usr/bin/env bash
# The game from the Debian package, unpacked into a temporary root: the launcher answers --help and --version,
# refuses an unusable HOME (on standard error, and in a window when it has no terminal), without a display
# links the data files and reports the window; in a real X window (Xvfb) with a temporary
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

# Refusals name what is wrong on standard error (no display here: no window either), paths without "//".
mkdir "$WORK/locked" && chmod 555 "$WORK/locked" && : >"$WORK/plain-file"
refuse() { # TEXT ENV...: the refusal starts with TEXT
    env -u XDG_DATA_HOME -u DISPLAY "${@:2}" "$LAUNCHER" >/dev/null 2>"$WORK/refusal" && fail "started with $*"
    grep -q "^kestra: $1" "$WORK/refusal" || fail "no clear refusal with $*: $(cat "$WORK/refusal")"
}
refuse "HOME is not set;" -u HOME
refuse "HOME is not set;" HOME=
refuse "HOME ($WORK/no-such-folder) is not a folder;" HOME="$WORK/no-such-folder"
refuse "cannot make the folder $WORK/plain-file/kestra;" XDG_DATA_HOME="$WORK/plain-file//"
[ -w "$WORK/locked" ] || refuse "cannot make the folder $WORK/locked/.local/share/kestra;" HOME="$WORK/locked/"
env -u DISPLAY "$LAUNCHER" -x 2>&1 >/dev/null | grep -q "^kestra: unknown argument '-x'" || fail "-x was not refused"
OUT=$("$LAUNCHER" --version) && [ "$OUT" = "kestra $VERSION" ] || fail "--version: $OUT"
OUT=$("$LAUNCHER" --help) && [[ "$OUT" == "usage: kestra [--help | --version]"* ]] || fail "--help: $OUT"
grep -qx StartupWMClass=kestra "$ROOT/usr/share/applications/kestra.desktop" || fail "the desktop entry names no class"
[ -s "$ROOT/usr/lib/kestra/icon.bmp" ] || fail "no window icon beside the engine"

# With XDG_DATA_HOME no HOME is needed, and a writable game folder under a read-only HOME does: the data files
# are linked there and the engine starts (and fails without a display).
mkdir -p "$WORK/rohome/.local/share/kestra" && chmod 555 "$WORK/rohome"
for place in "-u HOME XDG_DATA_HOME=$WORK/xdg/:$WORK/xdg/kestra" "-u XDG_DATA_HOME HOME=$WORK/rohome:$WORK/rohome/.local/share/kestra"; do
    env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER ${place%:*} SDL_AUDIODRIVER=dummy \
        "$LAUNCHER" >/dev/null 2>"$WORK/game.err"
    CODE=$?
    [ "$CODE" -eq 1 ] && grep -q 'Unexpected Windows error (hwnd was NULL)\.' "$WORK/game.err" ||
        fail "without a display ($place): exit code $CODE: $(cat "$WORK/game.err")"
    for file in tiles.bmp sprites.bmp text.bmp song.mid; do
        [ "$(readlink "${place#*:}/$file")" = "$DATA/$file" ] || fail "${place#*:}/$file is not a link to $DATA/$file"
    done
done

xvfb_start 1024x768 "$WORK"
export HOME=$WORK/home
SAVED=$HOME/.local/share/kestra
mkdir "$HOME"
# The game ends with the launcher's own process (it execs the engine).
launch() { exec env "$@" SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy "$LAUNCHER"; }

# Without a terminal a refusal is also shown in a window, which holds the launcher until it is closed.
env -u XDG_DATA_HOME HOME= "$LAUNCHER" 2>/dev/null &
REFUSING=$!
dialog() { SEEN=$(xdotool search --name '^Kestra$' 2>/dev/null | head -n1) && [ -n "$SEEN" ]; }
wait_until 60 "the refusal's window" dialog
kill -0 "$REFUSING" 2>/dev/null || fail "the launcher did not wait for its refusal's window"
xdotool windowkill "$SEEN"
CODE=0 && wait "$REFUSING" || CODE=$?
[ "$CODE" -eq 1 ] || fail "the refusal ended with $CODE"

# A stale copy in place of a link is replaced at the next start (whose relative XDG_DATA_HOME is ignored).
first_run "$DATA" "$SAVED/kestra.cfg" launch -u XDG_DATA_HOME
rm "$SAVED/text.bmp" && echo stale >"$SAVED/text.bmp"
again_run "$DATA" "$SAVED/kestra.cfg" launch XDG_DATA_HOME=relative/folder
[ "$(readlink "$SAVED/text.bmp")" = "$DATA/text.bmp" ] || fail "the stale text.bmp was not replaced by a link"
snapshot | diff "$WORK/root.before" - >"$WORK/root.diff" || fail "written under the unpacked root: $(cat "$WORK/root.diff")"
echo "PASS: high score $BEST saved and shown again"
