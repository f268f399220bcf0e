#!/bin/sh
# ensure-deps.sh: installs the Debian packages the build needs, when missing and running as root.
set -eu

# One package a line; tools/ensure-deps.sh is the only list.
packages="
cmake
ninja-build
g++
binutils
g++-multilib
g++-mingw-w64-i686
g++-mingw-w64-x86-64
zip
unzip
googletest
libgtest-dev
libgmock-dev
libbenchmark-dev
nlohmann-json3-dev
libxml2-utils
valgrind
clang-14
libclang-rt-14-dev
llvm-14
"

missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "ensure-deps: missing Debian packages:$missing" >&2
    echo "ensure-deps: install them with: sudo apt-get install$missing" >&2
    exit 1
fi
echo "ensure-deps: installing$missing"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq || apt-get update
# shellcheck disable=SC2086
apt-get install -y -qq --no-install-recommends $missing
