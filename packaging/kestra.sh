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

die() {
    echo "kestra: $*" >&2
    exit 1
}

self=$(readlink -f -- "$0" 2>/dev/null) || self=$0
prefix=$(cd -- "$(dirname -- "$self")/.." 2>/dev/null && pwd -P) || die "cannot find the folder of $0"
engine=${KESTRA_ENGINE:-$prefix/lib/kestra/engine}
data=${KESTRA_DATA:-$prefix/share/games/kestra}

# XDG_DATA_HOME counts only as an absolute path, as the XDG base directory
# rules have it; otherwise the folder lies under HOME.
case ${XDG_DATA_HOME:-} in
/*) base=$XDG_DATA_HOME ;;
*)
    [ -n "${HOME:-}" ] || die "HOME is not set; set it (or XDG_DATA_HOME) to a folder of your own"
    [ -d "$HOME" ] || die "HOME ($HOME) is not a folder; set it (or XDG_DATA_HOME) to a folder of your own"
    [ -w "$HOME" ] || die "HOME ($HOME) is not writable; set it (or XDG_DATA_HOME) to a folder of your own"
    base=$HOME/.local/share
    ;;
esac
dir=$base/kestra

[ -x "$engine" ] || die "the engine $engine is missing; reinstall the kestra package"
mkdir -p -- "$dir" 2>/dev/null && [ -d "$dir" ] || die "cannot make the folder $dir"
[ -w "$dir" ] || die "the folder $dir is not writable"
for file in tiles.bmp sprites.bmp text.bmp song.mid; do
    [ -r "$data/$file" ] || die "$data/$file is missing; reinstall the kestra package"
    ln -sfT -- "$data/$file" "$dir/$file" 2>/dev/null || die "cannot link $data/$file as $dir/$file"
done
cd -- "$dir" || die "cannot change into $dir"
exec "$engine"
