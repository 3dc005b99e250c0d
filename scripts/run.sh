#!/usr/bin/env bash
# Installs what is needed, builds the program and starts it. Without a real controller on the
# USB bus, the simulated one (glimra-sim) is started first and stopped when the program ends.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=${GLIMRA_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGLIMRA_BUILD_TESTS=OFF
cmake --build "$build" -j"$(nproc)"

# A controller is present when a hidraw node's HID device has the ids 04d9:8008.
controller_present() {
    local uevent
    for uevent in /sys/class/hidraw/*/device/uevent; do
        [ -r "$uevent" ] || continue
        if grep -qiE '^HID_ID=[0-9a-f]+:000004D9:00008008$' "$uevent"; then
            return 0
        fi
    done
    return 1
}

sim_pid=""
stop_sim() {
    if [ -n "$sim_pid" ] && kill -0 "$sim_pid" 2>/dev/null; then
        kill -TERM "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
}

if controller_present; then
    exec "$build/bin/glimra-utility"
fi

echo "No Glimra controller found; starting the simulated one (glimra-sim)."
sim_log=$(mktemp "${TMPDIR:-/tmp}/glimra-sim.XXXXXX")
trap 'stop_sim; rm -f "$sim_log"' EXIT
trap 'exit 130' INT TERM
# shellcheck disable=SC2086  # GLIMRA_SIM_ARGS is a list of options
"$build/bin/glimra-sim" ${GLIMRA_SIM_ARGS:-} >"$sim_log" 2>&1 &
sim_pid=$!
# The simulator says so once its interfaces are served.
for _ in $(seq 100); do
    if grep -q '^glimra-sim ready' "$sim_log"; then
        break
    fi
    if ! kill -0 "$sim_pid" 2>/dev/null; then
        cat "$sim_log" >&2
        echo "glimra-sim did not start." >&2
        exit 1
    fi
    sleep 0.1
done
if ! grep -q '^glimra-sim ready' "$sim_log"; then
    cat "$sim_log" >&2
    echo "glimra-sim did not get ready." >&2
    exit 1
fi
"$build/bin/glimra-utility"
