#!/bin/sh
# kestra: starts the installed game from the player's own folder.
#
# The engine reads its bitmaps and music, and keeps the high score in
# "kestra.cfg", in the folder it is started from. So that every player keeps a
# score of their own and nothing is ever written beside the installed files,
# this makes ${XDG_DATA_HOME:-$HOME/.local/share}/kestra, links the installed
# data files into it (again at every start, so an upgrade's files take effect),
# changes into it and starts the engine there.
#
# The engine and the data are found from this script's own place
# (PREFIX/games/kestra -> PREFIX/lib/kestra and PREFIX/share/games/kestra), so
# an unpacked copy of the package runs as well as an installed one;
# KESTRA_ENGINE and KESTRA_DATA name others.
set -u
version="@PROJECT_VERSION@"

# A refusal goes to standard error, and, for a player who started the game
# from the desktop's menu (no terminal to read it on), into a small window.
die() {
    echo "kestra: $*" >&2
    if ! [ -t 2 ] && [ -n "${DISPLAY:-}" ] && command -v xmessage >/dev/null 2>&1; then
        xmessage -center -title Kestra "Kestra cannot start: $*" >/dev/null 2>&1
    fi
    exit 1
}

case ${1:-} in
-h | --help)
    cat <<TXT
usage: kestra [--help | --version]
Starts Kestra, a vertically scrolling shooter steered with the mouse, full screen.
The high score and links to the game's files are kept in
\${XDG_DATA_HOME:-\$HOME/.local/share}/kestra. Escape quits. See kestra(6).
TXT
    exit 0
    ;;
--version)
    echo "kestra $version"
    exit 0
    ;;
?*) die "unknown argument '$1' (try kestra --help)" ;;
esac

# A path without its trailing slashes ("/" becomes empty), so that
# "$folder/name" never holds "//".
trim() {
    path=$1
    while [ "${path%/}" != "$path" ]; do path=${path%/}; done
    printf '%s' "$path"
}

self=$(readlink -f -- "$0" 2>/dev/null) || self=$0
prefix=$(cd -- "$(dirname -- "$self")/.." 2>/dev/null && pwd -P) || die "cannot find the folder of $0"
prefix=$(trim "$prefix")
engine=${KESTRA_ENGINE:-$prefix/lib/kestra/engine}
data=$(trim "${KESTRA_DATA:-$prefix/share/games/kestra}")

# XDG_DATA_HOME counts only as an absolute path, as the XDG base directory
# rules have it; otherwise the folder lies under HOME.
case ${XDG_DATA_HOME:-} in
/*) base=$(trim "$XDG_DATA_HOME") ;;
*)
    [ -n "${HOME:-}" ] || die "HOME is not set; set it (or XDG_DATA_HOME) to a folder of your own"
    [ -d "$HOME" ] || die "HOME ($HOME) is not a folder; set it (or XDG_DATA_HOME) to a folder of your own"
    base=$(trim "$HOME")/.local/share
    ;;
esac
dir=$base/kestra

[ -x "$engine" ] || die "the engine $engine is missing; reinstall the kestra package"
# A folder that exists and is writable will do, even under a read-only home.
if ! [ -d "$dir" ]; then
    mkdir -p -- "$dir" 2>/dev/null && [ -d "$dir" ] ||
        die "cannot make the folder $dir; make it writable (or set XDG_DATA_HOME to a folder of your own)"
fi
[ -w "$dir" ] || die "the folder $dir is not writable"
for file in tiles.bmp sprites.bmp text.bmp song.mid; do
    [ -r "$data/$file" ] || die "$data/$file is missing; reinstall the kestra package"
    ln -sfT -- "$data/$file" "$dir/$file" 2>/dev/null || die "cannot link $data/$file as $dir/$file"
done
cd -- "$dir" || die "cannot change into $dir"
exec "$engine"
