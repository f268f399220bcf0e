#!/bin/sh
# check_elf.sh: the Linux module file is one an old 32- or 64-bit server can load.
# Usage: check_elf.sh MODULE i386|x86-64
set -u
module=$1 arch=$2
fail=0
bad() { echo "FAIL: $*"; fail=1; }
ok() { echo "ok: $*"; }

case $arch in
i386) class=ELF32 machine="Intel 80386" newest_allowed=2.4 ;;
x86-64) class=ELF64 machine="Advanced Micro Devices X86-64" newest_allowed=2.17 ;;
*) echo "check_elf.sh: unknown arch $arch" >&2; exit 2 ;;
esac
[ -f "$module" ] || { echo "FAIL: no module at $module"; exit 1; }
echo "module: $module ($arch)"

header=$(readelf -h "$module")
echo "$header" | grep -q "Class: *$class\$" || bad "ELF class is not $class"
echo "$header" | grep -q "Machine: *$machine\$" || bad "machine is not $machine"
echo "$header" | grep -q "Type: *DYN" || bad "not a shared object"
[ $fail -eq 0 ] && ok "$class, $machine, shared object"

# Exactly the six entry points, as functions, in the dynamic symbol table.
expected="DFGiveFuncs plgClientCommand plgClientConnect plgGameDLLInit plgMapInit plgThink"
exports=$(nm -D --defined-only "$module" | awk '{print $3 " " $2}' | LC_ALL=C sort)
names=$(echo "$exports" | awk '{print $1}' | tr '\n' ' ' | sed 's/ $//')
echo "exports: $names"
[ "$names" = "$expected" ] || bad "exports are not exactly: $expected"
echo "$exports" | awk '$2 != "T" { exit 1 }' || bad "an export is not a text symbol: $exports"

# Only the C library (and the maths library) may be needed.
needed=$(readelf -d "$module" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | tr '\n' ' ' | sed 's/ $//')
echo "NEEDED: $needed"
for lib in $needed; do
    case $lib in
    libc.so.6 | libm.so.6) ;;
    *) bad "needs $lib" ;;
    esac
done

# Symbol versions the module asks for: no C++ runtime or libgcc, and no glibc
# newer than the oldest servers ship.
versions=$(readelf -V --wide "$module" | sed -n 's/.*Name: \([A-Z_]*[0-9][0-9.]*\) *Flags.*/\1/p' | LC_ALL=C sort -u)
echo "symbol versions required:" $versions
for v in $versions; do
    case $v in
    GLIBCXX_* | CXXABI_* | GCC_*) bad "requires $v" ;;
    GLIBC_*) ;;
    *) bad "requires unexpected version $v" ;;
    esac
done
newest=$(echo "$versions" | sed -n 's/^GLIBC_//p' | sort -V | tail -n 1)
echo "newest GLIBC version required: GLIBC_${newest:-none} (allowed: GLIBC_$newest_allowed)"
if [ -n "$newest" ]; then
    top=$(printf '%s\n%s\n' "$newest" "$newest_allowed" | sort -V | tail -n 1)
    [ "$top" = "$newest_allowed" ] || bad "GLIBC_$newest is newer than GLIBC_$newest_allowed"
fi
undefined_cxx=$(nm -D --undefined-only "$module" | awk '{print $2}' | grep -E '^(_Z|__cxa_|__gxx_|_Unwind_)' | grep -v '^__cxa_finalize')
[ -z "$undefined_cxx" ] || bad "C++ runtime symbols left undefined: $undefined_cxx"

# No static constructors of ours: the only start-up hook is the compiler's
# own frame_dummy from crtbegin.o, so loading the module runs none of its code.
entry_size=$([ "$arch" = i386 ] && echo 4 || echo 8)
init_size=$(readelf -S --wide "$module" | sed -n 's/.*\.init_array *INIT_ARRAY *[0-9a-f]* *[0-9a-f]* *\([0-9a-f]*\).*/\1/p')
init_entries=$(( $(printf '%d' "0x${init_size:-0}") / entry_size ))
if [ "$init_entries" -le 1 ]; then ok "no static constructors ($init_entries start-up hook)"; else bad "$init_entries entries in .init_array: static constructors"; fi

# Text relocations would make the loader write into code pages.
if readelf -d "$module" | grep -q TEXTREL; then bad "has text relocations"; else ok "no text relocations"; fi

# Every undefined symbol resolves against what the module needs.
if ldd_out=$(ldd -r "$module" 2>&1); then
    if echo "$ldd_out" | grep -E "undefined symbol|not found"; then bad "ldd -r reports unresolved symbols"; else ok "ldd -r resolves every symbol"; fi
else
    bad "ldd -r failed: $ldd_out"
fi

# A 32-bit server may run on a CPU without SSE, and calls with a 4-byte
# aligned stack: the module uses no SSE register at all.
if [ "$arch" = i386 ]; then
    sse=$(objdump -d "$module" | grep -c '%xmm')
    if [ "$sse" -eq 0 ]; then ok "no SSE instructions"; else bad "$sse instructions use SSE registers"; fi
fi

[ $fail -eq 0 ] && echo "PASS" || echo "FAILED"
exit $fail
