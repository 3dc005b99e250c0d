#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, run and test Glimra Utility.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libqt6opengl6-dev libgl-dev libxcb1-dev
  libudev-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-league-spartan fonts-wqy-microhei
  clang-format
  dpkg-dev file
  # the packages: manual pages, and the checks of the packages and their metadata
  scdoc lintian desktop-file-utils appstream man-db
  # session buses for the D-Bus tests, a virtual X server for screenshots
  dbus xvfb xauth
  # the end-to-end desktop: window manager, XEmbed tray, input, screenshots, the harness's Python
  openbox trayer xdotool imagemagick x11-utils python3 python3-xlib python3-dbus python3-gi
  # screen readers' plumbing for the accessibility end-to-end test: the accessibility bus and an
  # AT-SPI client library
  at-spi2-core python3-pyatspi
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# Node.js runs the third-party OpenRGB SDK client of the end-to-end test; a machine may carry its
# own build of it, so Debian's is only asked for when there is none.
command -v node >/dev/null || missing+=(nodejs)
command -v npm >/dev/null || missing+=(npm)
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
# The OpenRGB SDK client from the npm registry, at the version the lock file names.
client="$(dirname "$0")/../tests/openrgb-client"
if [ ! -f "$client/node_modules/openrgb-sdk/package.json" ]; then
  npm ci --prefix "$client" --no-audit --no-fund
fi
