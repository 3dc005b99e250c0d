#!/usr/bin/env bash
# The manual pages render without a warning, lie where man looks, and describe every command,
# option and exit status the programs have: the commands and options as their --help lists
# them, glimractl's exit statuses as its source defines them.
# Usage: man-test.sh <folder with the packages> <source dir>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/common.sh"
out=$1
src=$2
for p in glimra-utility glimractl glimra-sim; do
    dpkg -x "$(deb "$out" "$p")" "$work/root"
done
bin=$work/root/usr/bin
export MANPATH=$work/root/usr/share/man

# The terms a page defines: the bold words of each line that opens an indented paragraph.
terms() {
    zcat "$1" | awk '/^\.RS/ && prev ~ /^\\fB/ {print prev} {prev = $0}' |
        grep -oE '\\fB[^\\]+\\fR' | sed 's/^\\fB//; s/\\fR$//'
}

for p in glimra-utility glimractl glimra-sim; do
    page=$(man -w "$p") || fail "man finds no page for $p"
    [ "$page" = "$MANPATH/man1/$p.1.gz" ] || fail "man finds $p at $page"
    LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" >"$work/$p.txt" 2>"$work/$p.warnings" ||
        fail "man cannot show $p(1)"
    [ ! -s "$work/$p.warnings" ] || { cat "$work/$p.warnings" >&2; fail "$p(1) has warnings"; }
    for section in NAME SYNOPSIS DESCRIPTION "EXIT STATUS" FILES "SEE ALSO"; do
        grep -qx "$section" "$work/$p.txt" || fail "$p(1) has no $section section"
    done
    terms "$page" | sort -u >"$work/$p.terms"
done

# covers <program> <what> <word>...: each word is a term of the program's page.
covers() {
    local program=$1 what=$2 word
    shift 2
    [ $# -gt 0 ] || fail "no ${what}s found for $program"
    for word; do
        grep -qxF -- "$word" "$work/$program.terms" || fail "$program(1) does not describe the $what $word"
    done
}

help=$("$bin/glimractl" --help)
commands=$(sed -n '/^Commands:/,/^$/p' <<<"$help" | grep -oE '^  [a-z-]+' | tr -d ' ')
covers glimractl command $commands
covers glimractl option $(grep -oE '(^| )--?[a-z][a-z-]*' <<<"$help" | tr -d ' ' | sort -u)
covers glimractl "exit status" $(grep -oE '= [0-9]+' "$src/Cli/src/CliExitCode.h" | tr -d '= ')
covers glimra-sim option $("$bin/glimra-sim" --help | grep -oE '(^| )--?[a-z][a-z-]*' | tr -d ' ' | sort -u)
covers glimra-sim "exit status" 0 1 2

echo "manual pages OK"
