# Shared by the package tests: fail, the .deb of a package, and a scratch folder.
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# deb <folder> <package>: the path of the package's .deb in the folder.
deb() {
    local debs=("$1/$2"_*.deb)
    [ -f "${debs[0]}" ] || fail "no $2 package in $1"
    echo "${debs[0]}"
}

work=$(mktemp -d "${TMPDIR:-/tmp}/glimra-package.XXXXXX")
trap 'rm -rf "$work"' EXIT
