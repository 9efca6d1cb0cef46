#!/usr/bin/env bash
# Installs what the build, the game and the tests need, from Debian's packages.
# Idempotent: installs only what is missing. `setup.sh web` also installs what
# the browser build needs (emscripten, and chromium and fluidsynth for its page
# and its music), and the npm packages of the page's tests (tests/web:
# puppeteer-core as its lock file pins it, which drives Debian's chromium and
# downloads no browser); the normal build does without them. Debian's emcc runs on
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
# The browser build's packages are installed without their recommendations:
# fluidsynth's (qsynth) bring the FluidR3 soundfont, which then takes over the
# system's default General MIDI soundfont that SDL2_mixer plays the desktop
# game's music with, and the music's loudness with it.
WEB_PACKAGES=()
if [ "${1:-}" = "web" ]; then
  WEB_PACKAGES=(emscripten chromium fluidsynth)
  command -v npm >/dev/null || WEB_PACKAGES+=(npm)
fi
# The tests' npm packages, installed anew when missing or older than the lock file.
npm_packages() {
  local tests
  tests="$(dirname "$0")/../tests/web"
  [ "${1:-}" = "web" ] || return 0
  [ "$tests/node_modules/.package-lock.json" -nt "$tests/package-lock.json" ] && return 0
  (cd "$tests" && npm ci --no-audit --no-fund)
}

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
missing=()
for p in "${PACKAGES[@]}"; do
  installed "$p" || missing+=("$p")
done
web_missing=()
for p in "${WEB_PACKAGES[@]}"; do
  installed "$p" || web_missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ] && [ ${#web_missing[@]} -eq 0 ]; then
  npm_packages "${1:-}"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]} ${web_missing[*]}"
$SUDO apt-get update -q
if [ ${#missing[@]} -gt 0 ]; then
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "${missing[@]}"
fi
if [ ${#web_missing[@]} -gt 0 ]; then
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${web_missing[@]}"
fi
npm_packages "${1:-}"
