#!/usr/bin/env bash
# Builds the Debian package of a built tree and unpacks it into a scratch root: the program
# folder, the links, the udev rule, the desktop entry and the icon must be in place, and the
# installed tool must run through its link.
# Usage: package-test.sh <build dir> [cpack]
set -euo pipefail
build=$(cd "$1" && pwd)
cpack=${2:-cpack}
work=$(mktemp -d "${TMPDIR:-/tmp}/glimra-package.XXXXXX")
trap 'rm -rf "$work"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

if ! "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    fail "cpack could not build the package"
fi
debs=("$work"/out/glimra-utility_*.deb)
[ -f "${debs[0]}" ] || fail "no .deb was written"
deb=${debs[0]}

root=$work/root
dpkg -x "$deb" "$root"
program=$root/usr/lib/glimra-utility

for p in glimra-utility glimractl glimra-sim; do
    [ -x "$program/$p" ] || fail "$p is not in the program folder"
    [ -L "$root/usr/bin/$p" ] || fail "usr/bin/$p is not a link"
    [ "$(readlink "$root/usr/bin/$p")" = "../lib/glimra-utility/$p" ] ||
        fail "usr/bin/$p points to $(readlink "$root/usr/bin/$p")"
done
for pack in en_US zh_CN; do
    [ -s "$program/lang/$pack.rcc" ] || fail "language pack $pack is missing"
done
if [ -d "$build/bin/image" ]; then
    [ -d "$program/image" ] || fail "the skin images are missing"
fi

rule=$root/usr/lib/udev/rules.d/70-glimra.rules
[ -f "$rule" ] || fail "the udev rule is missing"
grep -Eq '^SUBSYSTEM=="hidraw", ATTRS\{idVendor\}=="04d9", ATTRS\{idProduct\}=="8008", TAG\+="uaccess"$' "$rule" ||
    fail "the udev rule does not tag the controller's hidraw node"
# uaccess is acted on by 73-seat-late.rules, so the rule must come first.
[[ "$(basename "$rule")" < "73-seat-late.rules" ]] || fail "the rule sorts after 73-seat-late.rules"

desktop=$root/usr/share/applications/glimra-utility.desktop
[ -f "$desktop" ] || fail "the desktop entry is missing"
grep -qx 'Type=Application' "$desktop" || fail "desktop entry: no Type"
grep -qx 'Exec=glimra-utility' "$desktop" || fail "desktop entry: wrong Exec"
grep -qx 'Icon=glimra-utility' "$desktop" || fail "desktop entry: wrong Icon"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop entry does not validate"
fi
icon=$root/usr/share/icons/hicolor/64x64/apps/glimra-utility.png
[ -f "$icon" ] || fail "the icon is missing"
[ "$(head -c 8 "$icon" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] || fail "the icon is no PNG"

depends=$(dpkg-deb -f "$deb" Depends)
for d in libqt6core6 qt6-qpa-plugins libudev1; do
    [[ "$depends" == *"$d"* ]] || fail "Depends lacks $d: $depends"
done
dpkg-deb -e "$deb" "$work/control"
grep -q 'udevadm control --reload-rules' "$work/control/postinst" || fail "postinst does not apply the rule"

# The installed tool runs through its link, from its own folder.
version=$("$root/usr/bin/glimractl" --version) || fail "the installed glimractl does not run"
[[ "$version" == "glimractl "* ]] || fail "glimractl --version said: $version"
mkdir -p "$work/sim" "$work/sys"
set +e
GLIMRA_SIM_DIR=$work/sim GLIMRA_SYSFS_ROOT=$work/sys "$root/usr/bin/glimractl" status 2>/dev/null
status=$?
set -e
[ "$status" -eq 1 ] || fail "the installed glimractl without a controller ended with $status"

echo "package OK: $(basename "$deb")"
