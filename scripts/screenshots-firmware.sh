#!/usr/bin/env bash
# Screenshots of the firmware update dialog in each state (reconnecting, transferring, done,
# reconnect failed), in English and Chinese, on a virtual X server.
# Usage: scripts/screenshots-firmware.sh [build dir] [output dir]
set -euo pipefail
build=${1:-build}
out=${2:-$build/screenshots}
mkdir -p "$out"
out=$(cd "$out" && pwd)
cmake --build "$build" --target glimrautility_tests
GLIMRA_SCREENSHOT_DIR="$out" QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x800x24" \
  "$build/tests/glimrautility_tests" --gtest_filter='Languages/FirmwareDlgLookTest.*'
ls "$out"/firmware-*.png
