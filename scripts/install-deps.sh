#!/bin/sh
# Installs what building and testing RemoveKM needs on Debian 12, as root:
# the host build with its unit tests, the MinGW-w64 cross-compiler, Wine
# (32-bit) and the X tools of the end-to-end tests, clang-format, and Python
# for the benchmark's generator.
# Prints nothing when everything is installed already.
set -eu

PACKAGES="cmake g++ googletest libgtest-dev clang-format g++-mingw-w64-i686
wine wine32:i386 wine64 xvfb x11-apps netpbm xdotool python3"

installed() {
    [ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" = "install ok installed" ]
}

missing=""
for package in $PACKAGES; do
    installed "$package" || missing="$missing $package"
done
[ -n "$missing" ] || exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps: missing:$missing; run this script as root to install them" >&2
    exit 1
fi
# wine32 is an i386 package.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi
echo "install-deps: installing$missing"
apt-get update
# shellcheck disable=SC2086 # one argument per package
DEBIAN_FRONTEND=noninteractive apt-get install -y $missing
