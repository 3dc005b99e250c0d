#!/usr/bin/env bash
# lintian has nothing to say about the three packages: no error and no warning.
# Usage: lintian-test.sh <folder with the packages>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/common.sh"
out=$1
debs=()
for p in glimra-utility glimractl glimra-sim; do
    debs+=("$(deb "$out" "$p")")
done
set +e
lintian --no-cfg --fail-on error,warning "${debs[@]}" >"$work/lintian.log" 2>&1
status=$?
set -e
# As root it notes that root is not recommended; that is about the run, not the packages.
grep -v '^running with root privileges is not recommended!$' "$work/lintian.log" >"$work/tags" || true
if [ "$status" -ne 0 ] || [ -s "$work/tags" ]; then
    cat "$work/tags" >&2
    fail "lintian ended with $status"
fi
echo "lintian: nothing to report on ${#debs[@]} packages"
