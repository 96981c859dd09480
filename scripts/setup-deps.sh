#!/usr/bin/env bash
# Installs the Debian packages the game needs to build, run and test.
# Idempotent: prints nothing and does nothing when everything is present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  libsdl2-dev libfreetype-dev libfontconfig-dev libpng-dev libfluidsynth-dev
  libgtest-dev libbenchmark-dev
  fonts-ipafont-gothic fonts-noto-cjk-extra fonts-rocknroll fonts-misaki
  fluidr3mono-gm-soundfont timgm6mb-soundfont
  xvfb xauth xdotool imagemagick x11-utils x11-xkb-utils appstream dpkg-dev strace
  emscripten node-acorn nodejs chromium python3 opus-tools
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -ne 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The browser tests drive chromium with playwright-core, from the npm registry.
web_tests="$(dirname "$0")/../tests/web"
if [ ! -d "$web_tests/node_modules/playwright-core" ]; then
  if command -v npm > /dev/null; then
    echo "setup: installing playwright-core for the browser tests"
    npm ci --prefix "$web_tests" --no-audit --no-fund --silent
  else
    echo "setup: npm is missing; the browser key test will be skipped"
  fi
fi
