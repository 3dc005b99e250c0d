#!/usr/bin/env bash
# glimractl's bash completion, as the package installs it, offers exactly the commands of
# --help, then the colours, modes and levels after their commands (each one the tool accepts),
# file names after firmware, and each command's options (each accepted with that command).
# Usage: completion-test.sh <folder with the packages>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/common.sh"
out=$1
dpkg -x "$(deb "$out" glimractl)" "$work/root"
tool=$work/root/usr/bin/glimractl
script=$work/root/usr/share/bash-completion/completions/glimractl
[ -f "$script" ] || fail "no bash completion installed"

# offered <word>...: what completion offers for the last word, one per line, sorted.
offered() {
    (cd "$work" && bash --norc --noprofile -c '
        source "$1"; shift
        COMP_WORDS=(glimractl "$@"); COMP_CWORD=$#
        _glimractl
        printf "%s\n" "${COMPREPLY[@]}"' _ "$script" "$@") | sed '/^$/d' | sort
}
# expect <what> <expected words> -- <words>...: completion offers exactly the expected words.
expect() {
    local what=$1 want
    want=$(tr ' ' '\n' <<<"$2" | sed '/^$/d' | sort)
    shift 3
    local got
    got=$(offered "$@")
    [ "$got" = "$want" ] || fail "$what: offered [$(echo $got)], expected [$(echo $want)]"
}
# accepted <argument>...: the tool parses the call: with no controller around it ends with 1
# (no controller), not 2 (usage).
mkdir -p "$work/sim" "$work/sys"
accepted() {
    local status=0
    GLIMRA_SIM_DIR=$work/sim GLIMRA_SYSFS_ROOT=$work/sys "$tool" "$@" >/dev/null 2>&1 </dev/null ||
        status=$?
    [ "$status" -ne 2 ] || fail "glimractl $* is a usage error"
}

commands=$("$tool" --help | sed -n '/^Commands:/,/^$/p' | grep -oE '^  [a-z-]+' | tr -d ' ')
expect "commands" "$commands" -- ""
expect "commands starting with s" "$(grep '^s' <<<"$commands")" -- s

colours="red white cyan blue green yellow orange purple"
modes="static strobe breath gradual static-cycle breath-cycle"
levels="1 2 3 4 5 6 7 8"
expect "colours" "$colours" -- color ""
expect "colours after an option" "$colours" -- --json color ""
expect "colours starting with b" "blue" -- color b
expect "modes" "$modes" -- mode ""
expect "modes starting with breath" "breath breath-cycle" -- mode breath
expect "levels" "$levels" -- brightness ""
expect "after the argument" "" -- color red ""
expect "after a command without argument" "" -- status ""
for c in $colours; do accepted color "$c"; done
for m in $modes; do accepted mode "$m"; done
for l in $levels; do accepted brightness "$l"; done

mkdir "$work/images"
printf 'x' >"$work/image.bin"
expect "firmware files" "image.bin images" -- firmware ima

expect "options" "--help -h --version" -- -
printf 'x' >"$work/fw.bin"
for c in list status firmware; do
    # firmware off a terminal needs --yes.
    arguments=()
    [ "$c" = firmware ] && arguments=("$work/fw.bin" --yes)
    options=$(offered "$c" "${arguments[@]}" -)
    [ -n "$options" ] || fail "no options offered for $c"
    for o in $options; do
        accepted "$c" "${arguments[@]}" "$o"
    done
done
expect "status options" "--dump --help --json --version -h" -- status -
expect "firmware options" "--help --json --version --yes -h -y" -- firmware -

echo "bash completion OK"
