#!/usr/bin/env bash
# Builds the Debian package build/kestra_<version>_<arch>.deb (or in the
# folder given as $BUILD_DIR) from a normal build: the game's files only, with
# stripped binaries and library dependencies read from them by dpkg-shlibdeps;
# then checks it with lintian, whose errors fail the script.
# Install it with: apt install ./build/kestra_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
export BUILD_DIR=${BUILD_DIR:-build}
if grep -q '^KESTRA_SANITIZE:BOOL=ON' "$BUILD_DIR/CMakeCache.txt" 2>/dev/null; then
    echo "package.sh: $BUILD_DIR is a sanitizer build; package from a normal one" >&2
    exit 1
fi
scripts/build.sh
rm -f "$BUILD_DIR"/kestra_*.deb
(cd "$BUILD_DIR" && cpack -G DEB >cpack.log 2>&1) || {
    cat "$BUILD_DIR/cpack.log" >&2
    exit 1
}
DEB=$(ls "$BUILD_DIR"/kestra_*.deb)
echo "$DEB"
CHECK=0
REPORT=$(lintian --fail-on error "$DEB" 2>&1) || CHECK=$?
echo "$REPORT" | grep -v '^running with root privileges' || true
[ "$CHECK" -eq 0 ] || { echo "package.sh: lintian found errors" >&2; exit 1; }
