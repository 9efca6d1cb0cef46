#!/usr/bin/env bash
# Builds examples/starfield against the kit of BUILD_DIR installed in a fresh prefix, as an outside module is
# built; prog.so must export the two entry points only, and the folder it made must run.
# usage: out_of_tree.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$work/prefix" --component sdk >/dev/null
cmake -S "$source/examples/starfield" -B "$work/build" -G Ninja -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/build" >/dev/null

folder=$work/build/starfield
exports=$(nm -D --defined-only "$folder/prog.so" | awk '$2 == "T" { print $3 }' | sort | tr '\n' ' ')
[ "$exports" = "VProgInterface VProgProcedure " ] || { echo "prog.so exports: $exports"; exit 1; }

out=$(cd "$folder" && ./engine-headless --run-ms 200)
echo "$out"
grep -Eq '"frames": [1-9][0-9]*, .*"boxes": \[\["Report", "doing something stupid"\]\], "exit": 0}' <<<"$out"
