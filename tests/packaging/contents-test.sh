#!/usr/bin/env bash
# The three Debian packages hold what each should, and only that: the programs in the program
# folder with links on the PATH, the manual pages, the doc folders, the udev rule, the shell
# completion, the desktop entry, the icons and the metadata; their dependencies follow what
# each program links. The installed programs run through their links.
# Usage: contents-test.sh <folder with the packages>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/common.sh"
out=$1

packages=(glimra-utility glimractl glimra-sim)
icon_sizes=(16 24 32 48 64 128 256)
declare -A files
files[glimra-utility]="usr/lib/glimra-utility/lang/en_US.rcc usr/lib/glimra-utility/lang/zh_CN.rcc
  usr/lib/glimra-utility/image/RED.png usr/share/applications/glimra-utility.desktop
  usr/share/metainfo/org.glimra.utility.metainfo.xml usr/share/doc/glimra-utility/README.md"
for s in "${icon_sizes[@]}"; do
    files[glimra-utility]+=" usr/share/icons/hicolor/${s}x${s}/apps/glimra-utility.png"
done
files[glimractl]="usr/lib/udev/rules.d/70-glimra.rules usr/share/bash-completion/completions/glimractl
  usr/share/zsh/vendor-completions/_glimractl usr/share/fish/vendor_completions.d/glimractl.fish
  usr/share/metainfo/org.glimra.glimractl.metainfo.xml usr/lib/systemd/user/glimractl.service"
files[glimra-sim]=""

all=$work/all
mkdir -p "$all"
for p in "${packages[@]}"; do
    d=$(deb "$out" "$p")
    root=$work/$p
    dpkg -x "$d" "$root"
    dpkg -x "$d" "$all"
    # Its own program, on the PATH through a link into the program folder, and no other.
    [ -x "$root/usr/lib/glimra-utility/$p" ] || fail "$p: the program is not in the program folder"
    [ "$(readlink "$root/usr/bin/$p")" = "../lib/glimra-utility/$p" ] ||
        fail "$p: usr/bin/$p is not a link to ../lib/glimra-utility/$p"
    programs=$(find "$root/usr/lib/glimra-utility" -maxdepth 1 -type f -printf '%f\n')
    [ "$programs" = "$p" ] || fail "$p: the program folder holds: $programs"
    for f in ${files[$p]} "usr/share/man/man1/$p.1.gz" "usr/share/doc/$p/copyright" \
        "usr/share/doc/$p/changelog.gz"; do
        [ -s "$root/$f" ] || fail "$p: $f is missing"
    done
    dpkg-deb -c "$d" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./||' | sort >"$work/$p.list"
done
# dpkg refuses a file that another installed package holds.
for a in "${packages[@]}"; do
    for b in "${packages[@]}"; do
        [[ "$a" < "$b" ]] || continue
        shared=$(comm -12 "$work/$a.list" "$work/$b.list")
        [ -z "$shared" ] || fail "$a and $b both hold: $shared"
    done
done

# Each icon is a PNG of the size its folder names.
for s in "${icon_sizes[@]}"; do
    icon=$all/usr/share/icons/hicolor/${s}x${s}/apps/glimra-utility.png
    header=$(head -c 24 "$icon" | od -An -tx1 | tr -d ' \n')
    [ "${header:0:16}" = "89504e470d0a1a0a" ] || fail "icon ${s}x${s} is no PNG"
    [ "$((16#${header:32:8}))x$((16#${header:40:8}))" = "${s}x${s}" ] ||
        fail "icon ${s}x${s} is $((16#${header:32:8}))x$((16#${header:40:8}))"
done

desktop=$all/usr/share/applications/glimra-utility.desktop
desktop-file-validate "$desktop" || fail "the desktop entry does not validate"
grep -qx 'Exec=glimra-utility' "$desktop" || fail "desktop entry: wrong Exec"
grep -qx 'Icon=glimra-utility' "$desktop" || fail "desktop entry: wrong Icon"
version=$(dpkg-deb -f "$(deb "$out" glimra-utility)" Version)
for m in "$all"/usr/share/metainfo/*.xml; do
    appstreamcli validate --no-net "$m" >"$work/appstream.log" 2>&1 ||
        { cat "$work/appstream.log" >&2; fail "$(basename "$m") does not validate"; }
    grep -q "<release version=\"$version\"" "$m" ||
        fail "$(basename "$m") has no release entry for $version"
done
grep -q '<launchable type="desktop-id">glimra-utility.desktop</launchable>' \
    "$all/usr/share/metainfo/org.glimra.utility.metainfo.xml" ||
    fail "the metadata does not launch the desktop entry"

rule=$all/usr/lib/udev/rules.d/70-glimra.rules
grep -Eq '^SUBSYSTEM=="hidraw", ATTRS\{idVendor\}=="04d9", ATTRS\{idProduct\}=="8008", TAG\+="uaccess"$' "$rule" ||
    fail "the udev rule does not tag the controller's hidraw node"
# uaccess is acted on by 73-seat-late.rules, so the rule must come first.
[[ "$(basename "$rule")" < "73-seat-late.rules" ]] || fail "the rule sorts after 73-seat-late.rules"
dpkg-deb -e "$(deb "$out" glimractl)" "$work/control"
grep -q 'udevadm control --reload-rules' "$work/control/postinst" || fail "postinst does not apply the rule"

# Dependencies: the window needs the tool of its own version and the platform plugins; the
# tool and the simulator need no display.
depends() { dpkg-deb -f "$(deb "$out" "$1")" Depends; }
for d in "glimractl (= $version)" qt6-qpa-plugins libqt6widgets6 libqt6core6; do
    [[ "$(depends glimra-utility)" == *"$d"* ]] ||
        fail "glimra-utility: Depends lacks $d: $(depends glimra-utility)"
done
for d in libqt6core6 libudev1; do
    [[ "$(depends glimractl)" == *"$d"* ]] || fail "glimractl: Depends lacks $d: $(depends glimractl)"
done
[[ "$(depends glimractl)" != *qt6-qpa-plugins* ]] || fail "glimractl depends on qt6-qpa-plugins"
[[ "$(depends glimra-sim)" != *qt6* ]] || fail "glimra-sim depends on Qt: $(depends glimra-sim)"

# The installed programs run through their links, from their own folder.
v=$("$all/usr/bin/glimractl" --version) || fail "the installed glimractl does not run"
[[ "$v" == "glimractl $version" ]] || fail "glimractl --version said: $v"
"$all/usr/bin/glimra-sim" --help >/dev/null || fail "the installed glimra-sim does not run"
mkdir -p "$work/sim" "$work/sys"
set +e
GLIMRA_SIM_DIR=$work/sim GLIMRA_SYSFS_ROOT=$work/sys "$all/usr/bin/glimractl" status 2>/dev/null
status=$?
set -e
[ "$status" -eq 1 ] || fail "the installed glimractl without a controller ended with $status"

echo "packages OK: $(cd "$out" && ls ./*.deb | tr '\n' ' ')"
