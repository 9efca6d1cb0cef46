#!/bin/sh
# Prints the folder-to-folder include graph of the sources (how many #include
# lines point from each folder into each other one) and fails when an include
# points up or sideways between engine and game. From the bottom up:
#   platform (the stand-in's headers; winapi.h is the switch to the real ones)
#   interface (the record shared by engine and game modules)
#   engine/base < engine/graphics < engine/host      the engine program
#   prog/core < prog/objects < prog/game              the game module
#   examples/*                                        other game modules
#   tools/*                                           on top: may include anything
#   tools/web                                         above tools/headless, whose runner it shares
# Tests, benchmarks and fuzzers sit above everything and are not checked.
cd "$(dirname "$0")/.." || exit 2

rank() {
    case "$1" in
        platform) echo 0 ;;
        interface) echo 1 ;;
        engine/base | prog/core | examples/*) echo 2 ;;
        engine/graphics | prog/objects) echo 3 ;;
        engine/host | prog/game) echo 4 ;;
        tools/web) echo 6 ;;
        tools/*) echo 5 ;;
        *) echo unknown ;;
    esac
}

edges=$(find platform interface engine prog examples tools -name '*.cpp' -o -name '*.h' | sort | while read -r file; do
    from=$(dirname "$file")
    sed -n 's/^#include "\(.*\)\/[^/]*"$/\1/p' "$file" | while read -r to; do
        [ "$to" != "$from" ] && echo "$from -> $to"
    done
done | sort | uniq -c)
echo "$edges"

status=0
echo "$edges" | while read -r count from arrow to; do
    rf=$(rank "$from") rt=$(rank "$to")
    bad=""
    if [ "$rf" = unknown ] || [ "$rt" = unknown ]; then
        bad="a folder with no place in the layers"
    elif [ "$rt" -ge "$rf" ]; then
        bad="points up or sideways"
    fi
    case "$from:$to" in engine/*:prog/* | prog/*:engine/*) bad="engine and game meet only through interface/" ;; esac
    if [ -n "$bad" ]; then
        echo "check-includes: $from -> $to: $bad" >&2
        echo fail
    fi
done | grep -q fail && status=1
[ $status -eq 0 ] && echo "check-includes: every include points down"
exit $status
