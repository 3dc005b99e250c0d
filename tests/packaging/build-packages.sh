#!/usr/bin/env bash
# Builds the Debian packages of a built tree into a folder, emptied first, for the other
# package tests to read.
# Usage: build-packages.sh <build dir> <cpack> <output folder>
set -euo pipefail
build=$(cd "$1" && pwd)
cpack=$2
out=$3
rm -rf "$out"
mkdir -p "$out"
if ! "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1; then
    cat "$out/cpack.log" >&2
    echo "FAIL: cpack could not build the packages" >&2
    exit 1
fi
rm -rf "$out/_CPack_Packages"
for p in glimra-utility glimractl glimra-sim; do
    debs=("$out/${p}"_*.deb)
    [ -f "${debs[0]}" ] || { echo "FAIL: no $p package was written" >&2; exit 1; }
done
ls "$out"/*.deb
