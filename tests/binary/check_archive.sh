#!/bin/sh
# check_archive.sh: unpacks a release archive and its debug archive and checks what an admin gets.
# Usage: check_archive.sh ARCHIVE DEBUG_ARCHIVE MODULE_FILE_NAME OBJDUMP i386|x86-64
set -u
archive=$1 debug_archive=$2 module=$3 objdump=$4 arch=$5
here=$(cd "$(dirname "$0")" && pwd)
fail=0
bad() { echo "FAIL: $*"; fail=1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

unpack() { # ARCHIVE DIR
    mkdir -p "$2"
    case $1 in
    *.tar.gz) tar -xzf "$1" -C "$2" ;;
    *.zip) unzip -q "$1" -d "$2" ;;
    *) echo "FAIL: unknown archive type $1"; return 1 ;;
    esac
}
listing() { (cd "$1" && find . -type f | sed 's|^\./||' | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//'); }

for a in "$archive" "$debug_archive"; do
    [ -f "$a" ] || { echo "FAIL: no archive $a"; exit 1; }
done
unpack "$archive" "$work/release" || exit 1
unpack "$debug_archive" "$work/debug" || exit 1

name=$(basename "$archive"); name=${name%.tar.gz}; name=${name%.zip}
files=$(listing "$work/release")
echo "$(basename "$archive"): $files"
expected=$(printf '%s\n' "$name/LICENSE" "$name/README.md" "$name/$module" | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')
[ "$files" = "$expected" ] || bad "release archive does not hold exactly LICENSE, README.md and $module under $name/"
dfiles=$(listing "$work/debug")
echo "$(basename "$debug_archive"): $dfiles"
[ "$dfiles" = "$name-debug/LICENSE $name-debug/$module.debug" ] || bad "debug archive does not hold exactly LICENSE and $module.debug under $name-debug/"

release=$work/release/$name
grep -q "^MIT License" "$release/LICENSE" && grep -q "Copyright (c) 2026 the quorvex-randomevents developers" "$release/LICENSE" ||
    bad "LICENSE is not the project's MIT licence"

# What an admin looks for in the README: the events, the command, the
# server variables, installing, requirements and load failures.
for topic in "Low gravity" "Trails" "Earthquake" "Colored view" "Random weapon" "Slow movement" \
    "!eventtest" "sv_gravity" "sv_maxspeed" "300 to 420 seconds" "Quorvex_PLG.so" "Quorvex_PLG.dll" \
    "GLIBC_2.4" "ldd -r" "objdump -T" "libstdc++"; do
    grep -qF -- "$topic" "$release/README.md" || bad "README.md does not mention $topic"
done

# The shipped module is stripped and points at its symbols in the debug archive.
sections=$("$objdump" -h "$release/$module")
if echo "$sections" | grep -q '\.debug_info'; then bad "shipped $module still carries debug info"; fi
echo "$sections" | grep -q '\.gnu_debuglink' || bad "shipped $module has no debug link"
# The section holds the file name, a NUL and a checksum: compare its bytes.
want=$(printf '%s' "$module.debug" | od -An -tx1 | tr -d ' \n')00
link=$("$objdump" -s -j .gnu_debuglink "$release/$module" 2>/dev/null |
    sed -n '/^ *[0-9a-f][0-9a-f]* [0-9a-f]/{s/^ *[0-9a-f]* //;s/  .*//;p;}' | tr -d ' \n')
case $link in
"$want"*) echo "debug link: $module.debug" ;;
*) bad "debug link does not name $module.debug (section bytes: ${link:-none})" ;;
esac
"$objdump" -h "$work/debug/$name-debug/$module.debug" | grep -q '\.debug_info' || bad "$module.debug holds no debug info"

# The shipped file passes the same checks as the built one.
case $module in
*.dll) sh "$here/check_pe.sh" "$objdump" "$release/$module" "$arch" || fail=1 ;;
*) sh "$here/check_elf.sh" "$release/$module" "$arch" || fail=1 ;;
esac

[ $fail -eq 0 ] && echo "PASS" || echo "FAILED"
exit $fail
