#!/bin/sh
# Installs what building and testing RemoveKM needs on Debian 12, as root:
# the host build with its unit tests, the MinGW-w64 cross-compiler,
# clang-format, Python for the benchmark's generator and, on a machine that
# runs 32-bit x86 programs, Wine (32- and 64-bit) and the X tools of the
# end-to-end tests. Elsewhere those run in the emulated machine, which
# scripts/emulated-machine.sh makes with packages of its own; so does a
# machine where Wine's packages cannot be installed (scripts/windows-side.sh
# asks `install-deps.sh --wine-installed`).
# Prints nothing when everything is installed already.
set -eu
cd "$(dirname "$0")/.."
# shellcheck source=apt-retry.sh
. scripts/apt-retry.sh

PACKAGES="cmake g++ googletest libgtest-dev clang-format g++-mingw-w64-i686 python3"
WINE_PACKAGES="wine wine32:i386 wine64 xvfb x11-apps netpbm xdotool"

installed() {
    [ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" = "install ok installed" ]
}
missing_of() {
    for package in "$@"; do
        installed "$package" || printf ' %s' "$package"
    done
}
# install PACKAGE...: fails only when a package cannot be installed.
install() {
    if [ "$(id -u)" -ne 0 ]; then
        echo "install-deps: missing: $*; run this script as root to install them" >&2
        exit 1
    fi
    # wine32 and the loader that tells whether 32-bit programs run are i386 packages.
    if [ "$(uname -m)" = x86_64 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
        updated=
    fi
    [ -n "${updated:-}" ] || apt_update install-deps
    updated=yes
    echo "install-deps: installing $* ..."
    # shellcheck disable=SC2086 # one argument per package
    DEBIAN_FRONTEND=noninteractive apt-get install -y $*
}

# shellcheck disable=SC2086 # one argument per package
if [ "${1:-}" = --wine-installed ]; then
    [ -z "$(missing_of $WINE_PACKAGES)" ]
    exit
fi

# shellcheck disable=SC2086 # one argument per package
[ "$(uname -m)" = x86_64 ] && PACKAGES="$PACKAGES libc6:i386"
missing=$(missing_of $PACKAGES)
[ -z "$missing" ] || install $missing
if sh scripts/x86-32-check.sh >/dev/null; then
    missing=$(missing_of $WINE_PACKAGES)
    # A security index missing for i386 can leave wine32's libraries behind
    # their amd64 twins; the emulated machine's root comes from the base suite.
    [ -z "$missing" ] || (install $missing) ||
        echo "install-deps: Wine's packages could not be installed here, so the Windows side runs in the emulated machine."
fi
