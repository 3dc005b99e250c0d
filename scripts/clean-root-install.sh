#!/usr/bin/env bash
# Installs each Debian package with apt into a fresh Debian 12 root (debootstrap, minbase) with
# only its own dependencies, and runs it there as an ordinary user:
#   glimractl       --help and status run; no Qt GUI, X11, Wayland or GL package came with it;
#                   `man glimractl` shows the page once man-db is there
#   glimra-utility  (with glimractl) the window starts under Xvfb and keeps running
#   glimra-sim      the simulator serves, and glimractl finds its controller
# Not part of the test run: it needs root, the Debian archive and a few minutes.
# Usage: scripts/clean-root-install.sh <folder with the .deb files> [work folder]
# GLIMRA_CLEAN_BASE=<folder> reuses a root made before instead of running debootstrap;
# GLIMRA_CLEAN_SCENARIOS picks some of "ctl utility sim".
set -euo pipefail
debs=$(cd "$1" && pwd)
work=${2:-/tmp/glimra-clean-root}
mirror=${GLIMRA_MIRROR:-http://deb.debian.org/debian}
[ "$(id -u)" -eq 0 ] || { echo "run as root" >&2; exit 1; }
command -v debootstrap >/dev/null || apt-get install -y -q debootstrap

mkdir -p "$work"
base=${GLIMRA_CLEAN_BASE:-$work/base}
if [ ! -x "$base/usr/bin/apt-get" ]; then
    echo "== debootstrap bookworm into $base"
    debootstrap --variant=minbase bookworm "$base" "$mirror" >"$work/debootstrap.log"
fi

mounted=()
cleanup() {
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[i]}" 2>/dev/null || true; done
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# fresh <name>: root becomes a copy of the base root with /proc, /sys and /dev, a user, and
# the packages in /debs.
fresh() {
    root=$work/$1
    # Never remove a root that still has the host's /dev mounted in it.
    ! grep -q " $root/" /proc/mounts || fail "$root still has mounts"
    rm -rf "$root"
    cp -a "$base" "$root"
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    mount -t proc proc "$root/proc" && mounted+=("$root/proc")
    mount -t sysfs sys "$root/sys" && mounted+=("$root/sys")
    mount --rbind /dev "$root/dev" && mounted+=("$root/dev")
    mkdir -p "$root/debs"
    cp "$debs"/*.deb "$root/debs/"
    chroot "$root" useradd -m -s /bin/bash tester
    # The runtime folder a login would give the user.
    chroot "$root" sh -c 'install -d -o tester -g tester -m 700 /run/user/$(id -u tester)'
    chroot "$root" apt-get update -q >/dev/null
    dpkg-query --admindir="$root/var/lib/dpkg" -W -f '${Package}\n' | sort >"$root/before.list"
}

# install <root> <package>...: apt installs the local packages; prints what came with them.
install() {
    local root=$1
    shift
    local files=()
    local d
    for p; do
        d=("$root/debs/${p}"_*.deb)
        files+=("/debs/$(basename "${d[0]}")")
    done
    chroot "$root" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q \
        "${files[@]}" >"$root/install.log" 2>&1 || { cat "$root/install.log" >&2; fail "apt could not install $*"; }
    dpkg-query --admindir="$root/var/lib/dpkg" -W -f '${Package}\n' | sort |
        comm -13 "$root/before.list" - >"$root/added.list"
    echo "== $* brought $(wc -l <"$root/added.list") packages: $(tr '\n' ' ' <"$root/added.list")"
}

as_user() {
    local root=$1
    shift
    chroot "$root" su - tester -c "export XDG_RUNTIME_DIR=/run/user/\$(id -u); $*"
}

ctl() {
    echo "== glimractl alone"
    fresh ctl
    install "$root" glimractl
    display=$(grep -E '^(libqt6(gui|widgets|opengl)|qt6-qpa|libx11|libxcb|libwayland|libgl[^i]|libegl|libopengl|libxkb|libfontconfig|libfreetype)' \
        "$root/added.list" || true)
    [ -z "$display" ] || fail "glimractl brought display packages: $display"
    as_user "$root" "glimractl --help" >/dev/null || fail "glimractl --help did not run"
    as_user "$root" "glimractl --version"
    set +e
    as_user "$root" "glimractl status"
    status=$?
    set -e
    [ "$status" -eq 1 ] || fail "glimractl status without a controller ended with $status"
    chroot "$root" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q man-db >/dev/null
    as_user "$root" "MANWIDTH=80 man glimractl" | head -n 8
    as_user "$root" "MANWIDTH=80 man glimractl" | grep -q 'glimractl - control the Glimra' ||
        fail "man glimractl does not show the page"
}

utility() {
    echo "== glimra-utility (with glimractl)"
    fresh utility
    install "$root" glimra-utility glimractl
    # The virtual X server and the window lister are the test's, not the program's.
    chroot "$root" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
        xvfb xauth x11-utils >/dev/null
    set +e
    as_user "$root" "xvfb-run -a -s '-screen 0 1280x800x24' sh -c \
        'glimra-utility & sleep 10; xwininfo -root -tree >/tmp/windows.txt; kill \$!; wait \$!'" \
        >"$root/window.log" 2>&1
    status=$?
    set -e
    cat "$root/window.log"
    # Ended by the kill (SIGTERM), after the window had been up for 10 seconds.
    [ "$status" -eq 0 ] || [ "$status" -eq 143 ] || fail "glimra-utility under Xvfb ended with $status"
    grep -E '800x455' "$root/tmp/windows.txt" || fail "no 800 x 455 window was shown"
}

sim() {
    echo "== glimra-sim alone, then glimractl against it"
    fresh sim
    install "$root" glimra-sim
    as_user "$root" "glimra-sim --help" >/dev/null || fail "glimra-sim --help did not run"
    as_user "$root" "mkdir -p /tmp/sim && (setsid glimra-sim --dir /tmp/sim >/tmp/sim.log 2>&1 &
        echo \$! >/tmp/sim.pid) && sleep 2 && cat /tmp/sim.log"
    install "$root" glimractl
    as_user "$root" "GLIMRA_SIM_DIR=/tmp/sim glimractl status" ||
        fail "glimractl did not find the simulated controller"
    as_user "$root" "kill \$(cat /tmp/sim.pid)"
}

for scenario in ${GLIMRA_CLEAN_SCENARIOS:-ctl utility sim}; do
    "$scenario"
done
echo "clean-root install OK"
