#!/bin/sh
# Makes a delay-load import library from the toolchain's import library of a
# system DLL: the program then binds to the DLL at its first call instead of
# at start-up, after it has loaded the DLL from the system folder itself.
# Usage: make-delay-lib.sh <nm> <dlltool> <import library> <dll name> <output>
set -eu
nm=$1 dlltool=$2 lib=$3 dll=$4 out=$5
def=$out.def
# 64-bit names stand as they are; 32-bit stdcall names carry a leading
# underscore and their @N, which the DLL's own export names do not.
"$nm" -g --defined-only "$lib" 2>/dev/null |
    awk '$3 ~ /^__imp_/ { n = $3; sub(/^__imp_/, "", n); print n }' | sort -u > "$def.names"
if grep -q '@[0-9]*$' "$def.names"; then
    sed 's/^_//' "$def.names" > "$def.names2" && mv "$def.names2" "$def.names"
    kill_at=-k
else
    kill_at=
fi
{ echo "LIBRARY $dll"; echo EXPORTS; cat "$def.names"; } > "$def"
rm -f "$def.names"
"$dlltool" $kill_at -d "$def" -y "$out" -D "$dll"
