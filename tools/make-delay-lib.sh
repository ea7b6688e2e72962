#!/bin/sh
# Makes a delay-load import library from the toolchain's import library of a
# system DLL: the program then binds to the DLL at its first call instead of
# at start-up, after it has loaded the DLL from the system folder itself.
# Usage: make-delay-lib.sh <nm> <dlltool> <import library> <dll name> <output>
# (the target's objdump, objcopy, as and ar are the ones beside its nm).
set -eu
nm=$1 dlltool=$2 lib=$3 dll=$4 out=$5
tools=${nm%nm}
def=$out.def
"$nm" -g --defined-only "$lib" 2>/dev/null |
    awk '$3 ~ /^__imp_/ { n = $3; sub(/^__imp_/, "", n); print n }' | sort -u > "$def.names"
# 64-bit names stand as they are; 32-bit stdcall names carry a leading
# underscore and their @N, which the DLL's own export names do not.
if grep -q '@[0-9]*$' "$def.names"; then
    kill_at=-k
else
    kill_at=
fi
{ echo "LIBRARY $dll"; echo EXPORTS; sed "${kill_at:+s/^_//}" "$def.names"; } > "$def"
"$dlltool" $kill_at -d "$def" -y "$out" -D "$dll"

# 32-bit ld drops the section of an import library's stub when nothing calls
# the stub by name, as when every call goes through the __imp_ slot (the
# dllimport of the system headers). dlltool puts the delay thunk, which that
# slot points at until the first call, in the same section: the slot would
# hold 0. So the stubs leave the thunks' members for members of their own,
# which only a call by name pulls in.
if "${tools}objdump" -f "$lib" | grep -q 'file format pe-i386'; then
    stubs=$out.stubs
    rm -rf "$stubs"
    mkdir "$stubs"
    "${tools}objcopy" --strip-symbols="$def.names" "$out"
    n=0
    while read -r name; do
        n=$((n + 1))
        printf '\t.text\n\t.globl "%s"\n"%s":\n\tjmp *"__imp_%s"\n' "$name" "$name" "$name" |
            "${tools}as" -o "$stubs/stub$n.o" -
    done < "$def.names"
    "${tools}ar" rcs "$out" "$stubs"/*.o
    rm -rf "$stubs"
fi
rm -f "$def.names"
