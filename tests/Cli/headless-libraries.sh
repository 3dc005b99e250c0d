#!/usr/bin/env bash
# The command-line tool and the simulator run on machines without a display: neither may load
# a Qt GUI, Qt Widgets, X11, xcb, Wayland or GL library.
# Usage: headless-libraries.sh <program>...
set -euo pipefail
status=0
for program in "$@"; do
    if ! libraries=$(ldd "$program"); then
        echo "FAIL: ldd cannot read $program" >&2
        exit 1
    fi
    display=$(grep -E 'lib(Qt6(Gui|Widgets|OpenGL|XcbQpa|WaylandClient)|X11|xcb|EGL|GLX|GL|OpenGL|wayland|xkbcommon)[.-]' \
        <<<"$libraries" || true)
    if [ -n "$display" ]; then
        echo "FAIL: $program loads display libraries:" >&2
        echo "$display" >&2
        status=1
    fi
done
exit $status
