#!/bin/sh
# package.sh: splits the module's debug symbols off and writes its release and debug archives.
# Usage: package.sh OBJCOPY MODULE NAME tar.gz|zip STAGE_DIR OUT_DIR LICENSE README
set -eu
[ $# -eq 8 ] || { echo "usage: $0 OBJCOPY MODULE NAME tar.gz|zip STAGE_DIR OUT_DIR LICENSE README" >&2; exit 2; }
objcopy=$1 module=$2 name=$3 format=$4 stage=$5 out=$6 license=$7 readme=$8

file=$(basename "$module")
rm -rf "$stage"
mkdir -p "$stage/$name" "$stage/$name-debug" "$out"
out=$(cd "$out" && pwd)

# The shipped module carries a debug link, so a debugger given the debug
# archive finds the symbols again.
"$objcopy" --only-keep-debug "$module" "$stage/$name-debug/$file.debug"
"$objcopy" --strip-unneeded --add-gnu-debuglink="$stage/$name-debug/$file.debug" \
    "$module" "$stage/$name/$file"
cp "$license" "$stage/$name/LICENSE"
cp "$readme" "$stage/$name/README.md"
cp "$license" "$stage/$name-debug/LICENSE"

cd "$stage"
for dir in "$name" "$name-debug"; do
    rm -f "$out/$dir.$format"
    case $format in
    tar.gz) tar --owner=0 --group=0 --numeric-owner --sort=name -cf - "$dir" | gzip -9n >"$out/$dir.$format" ;;
    zip) find "$dir" -type f | LC_ALL=C sort | zip -q -X "$out/$dir.$format" -@ ;;
    *) echo "package.sh: unknown format $format" >&2; exit 2 ;;
    esac
    echo "package.sh: wrote $out/$dir.$format"
done
