#!/usr/bin/env bash
# Screenshots of the main window in English and Chinese: without a controller, connected (to
# the simulated one), and with each lighting mode selected, taken on a virtual X server. The
# English window, connected, also becomes the README's picture, docs/main-window.png.
# Usage: scripts/screenshots.sh [build dir] [output dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=${2:-$build/screenshots}
mkdir -p "$out"
out=$(cd "$out" && pwd)
cmake --build "$build" --target glimrautility_tests
GLIMRA_SCREENSHOT_DIR="$out" QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x800x24" \
  "$build/tests/glimrautility_tests" --gtest_filter='Languages/MainWindowLookTest.*'
ls "$out"/main-window-*.png
cp "$out/main-window-en_US-connected.png" docs/main-window.png
echo docs/main-window.png
