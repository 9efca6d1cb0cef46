#!/usr/bin/env bash
# Installs what the build, the game and the tests need, from Debian's packages.
# Idempotent: installs only what is missing. `setup.sh web` also installs what
# the browser build needs (emscripten, and chromium and fluidsynth for its page
# and its music); the normal build does without them. Debian's emcc runs on
# the machine's node, which must then find Debian's JavaScript modules:
# scripts/build-web.sh sets NODE_PATH=/usr/share/nodejs for it.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config git
  libsdl2-dev libsdl2-mixer-dev timgm6mb-soundfont libstb-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xdotool imagemagick x11-utils sox time
  g++-mingw-w64-x86-64 wine wine64
  dpkg-dev lintian
)
if [ "${1:-}" = "web" ]; then
  PACKAGES+=(emscripten chromium fluidsynth)
fi

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update -q
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "${missing[@]}"
