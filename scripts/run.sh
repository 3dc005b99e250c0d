#!/usr/bin/env bash
# Installs what is needed, builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=${GLIMRA_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGLIMRA_BUILD_TESTS=OFF
cmake --build "$build" -j"$(nproc)"
exec "$build/bin/glimra-utility"
