#!/bin/sh
# check_pe.sh: the Windows module exports the six plain names and needs no MinGW runtime DLL.
# Usage: check_pe.sh OBJDUMP MODULE i386|x86-64
set -u
objdump=$1 module=$2 arch=$3
fail=0
bad() { echo "FAIL: $*"; fail=1; }

case $arch in
i386) format=pei-i386 ;;
x86-64) format=pei-x86-64 ;;
*) echo "check_pe.sh: unknown arch $arch" >&2; exit 2 ;;
esac
[ -f "$module" ] || { echo "FAIL: no module at $module"; exit 1; }
echo "module: $module ($arch)"

"$objdump" -f "$module" | grep -q "file format $format\$" || bad "not $format"
pe=$("$objdump" -p "$module") || { echo "FAIL: objdump -p failed"; exit 1; }
characteristics=$(echo "$pe" | sed -n 's/^Characteristics[[:space:]]*0x\([0-9a-fA-F]*\)$/\1/p' | head -n 1)
[ -n "$characteristics" ] && [ $((0x$characteristics & 0x2000)) -ne 0 ] || bad "not a DLL (characteristics 0x${characteristics:-none})"

# The name table, read from the export directory itself: an empty or absent
# table passes a symbol check but leaves the host with nothing to call.
expected="DFGiveFuncs plgClientCommand plgClientConnect plgGameDLLInit plgMapInit plgThink"
exports=$(echo "$pe" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    sed -n 's/^[[:space:]]*\[ *[0-9]*\] *//p' | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')
echo "exports: $exports"
[ "$exports" = "$expected" ] || bad "exports are not exactly: $expected"
names=$(echo "$pe" | sed -n 's/^[[:space:]]*\[Name Pointer\/Ordinal\] Table[[:space:]]*\([0-9a-fA-F]*\)$/\1/p' | head -n 1)
[ -n "$names" ] && [ $((0x$names)) -eq 6 ] || bad "export directory does not count 6 names (${names:-none})"
addresses=$(echo "$pe" | grep -cE '^[[:space:]]*\[ *[0-9]+\] \+base\[ *[0-9]+\] +0*[1-9a-fA-F][0-9a-fA-F]* Export RVA$')
[ "$addresses" -eq 6 ] || bad "export address table has $addresses entries pointing into the module, not 6"
dllname=$(echo "$pe" | sed -n 's/^Name[[:space:]]*[0-9a-fA-F]* \(.*\)$/\1/p' | head -n 1)
[ "$dllname" = "$(basename "$module")" ] || bad "export directory names the DLL '$dllname'"

imports=$(echo "$pe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '\n' ' ' | sed 's/ $//')
echo "imports: $imports"
for dll in $imports; do
    case $dll in
    KERNEL32.dll | msvcrt.dll) ;;
    *) bad "imports $dll" ;;
    esac
done

[ $fail -eq 0 ] && echo "PASS" || echo "FAILED"
exit $fail
