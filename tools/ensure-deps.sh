#!/bin/sh
# ensure-deps.sh: installs the Debian packages a build needs, when missing and running as root.
# Usage: ensure-deps.sh [GROUP...]   groups: core cross fuzz bench (default: all of them)
set -eu

# The one list of what the project installs, by what needs it.
core="cmake ninja-build g++ binutils googletest libgtest-dev libgmock-dev libbenchmark-dev
nlohmann-json3-dev libxml2-utils"
# The 32-bit module and suite, the Windows DLLs and the release archives.
cross="g++-multilib g++-mingw-w64-i686 g++-mingw-w64-x86-64 zip unzip"
# libFuzzer and its sanitizer runtimes.
fuzz="clang-14 libclang-rt-14-dev llvm-14"
# Instruction counts.
bench="valgrind"

[ $# -gt 0 ] || set -- core cross fuzz bench
packages=""
for group in "$@"; do
    case $group in
    core) packages="$packages $core" ;;
    cross) packages="$packages $cross" ;;
    fuzz) packages="$packages $fuzz" ;;
    bench) packages="$packages $bench" ;;
    *) echo "ensure-deps: unknown group '$group' (core, cross, fuzz, bench)" >&2; exit 2 ;;
    esac
done

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
