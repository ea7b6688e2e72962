#!/usr/bin/env bash
# Checks what Trackvane.exe needs from Windows before it ships:
#  - every DLL it imports at start-up is one of the system's known DLLs, which
#    the loader never looks for beside the exe (GDI+ and the common controls
#    are bound at their first call, after the program loaded them itself);
#  - every function it imports at start-up is one that Windows 7 SP1 has
#    (tools/win7-imports.txt lists them: each was checked against the
#    documented minimum version; a new one must be checked and added, or
#    looked up at run time with a fallback);
#  - each function bound at its first call has a slot that leads to its
#    thunk until then;
#  - its subsystem and OS versions let Windows 7 (6.1) load it.
# Prints what it found. Usage: check-imports.sh <exe> [objdump of its target]
set -euo pipefail
exe=$1
objdump=${2:-x86_64-w64-mingw32-objdump}
here=$(cd "$(dirname "$0")" && pwd)
known='^(kernel32|user32|gdi32|advapi32|comdlg32|msvcrt|shell32|shlwapi|ole32|oleaut32|ws2_32|rpcrt4|imm32|usp10|psapi|setupapi|normaliz|wldap32|imagehlp|difxapi|lpk|sechost|nsi|clbcatq|iertutil|msctf|urlmon|wininet)\.dll$'
dump=$("$objdump" -p "$exe")
failed=0

# Named imports of the import tables proper (not the delay-import tables).
imports=$(printf '%s\n' "$dump" | awk -F'\t' '
    /^The Import Tables/ { inside = 1; next }
    /^The (Delay Import|Export) Tables|^PE File Base Relocations/ { inside = 0 }
    !inside { next }
    /DLL Name:/ { split($0, d, ": "); dll = tolower(d[2]); next }
    NF >= 3 && $3 ~ /^ *[0-9]+ +[A-Za-z_?@]/ { n = split($3, f, " "); print dll, f[n] }' | sort -u)
dlls=$(printf '%s\n' "$imports" | awk '{print $1}' | sort -u)
echo "DLLs imported at start-up: $(echo $dlls)"
for dll in $dlls; do
    if ! [[ $dll =~ $known ]]; then
        echo "  not a known DLL of the system, so looked for beside the exe: $dll" >&2
        failed=1
    fi
done
# The delay-load descriptors name their DLLs in the image's strings.
delayed=$(grep -a -o -i -E '(gdiplus|comctl32)\.dll' "$exe" | tr 'A-Z' 'a-z' | sort -u)
echo "DLLs bound at their first call, after start-up loaded them from the system: $(echo $delayed)"

# Until its first call, each slot of a delay-load table holds the address of
# the function's thunk, which has the system bind that very slot and jumps on.
# A slot holding anything else sends the first call astray: 32-bit ld drops
# the section of an import library's stub that nothing calls by name, and a
# slot pointing into it is left at 0, its function's name an absolute 0.
symbols=$("${objdump%objdump}nm" "$exe")
sections=$("$objdump" -h "$exe" | awk '$1 ~ /^[0-9]+$/ { print $4, $3, $6 }')
base=$((16#$(printf '%s\n' "$dump" | awk '$1 == "ImageBase" { print $2 }')))
width=8
[[ $(printf '%s\n' "$dump" | head -n 3) == *pei-i386* ]] && width=4
declare -A slot_name=() absolute=()
while read -r value type name; do
    [ "$type" = I ] && slot_name[$((16#$value))]=${name#__imp_}
    [ "$type" = A ] && [ $((16#$value)) -eq 0 ] && absolute[$name]=1
done <<<"$symbols"
# The file offset of an address of the image.
offset_of() {
    local vma size off
    while read -r vma size off; do
        if (($1 >= 16#$vma && $1 < 16#$vma + 16#$size)); then
            echo $((16#$off + $1 - 16#$vma))
            return
        fi
    done <<<"$sections"
    echo -1
}
# The little-endian number of $2 bytes at address $1; -1 outside the image.
number_at() {
    local at hex="" byte
    at=$(offset_of "$1")
    [ "$at" -ge 0 ] || { echo -1; return; }
    for byte in $(od -A n -t x1 -v -j "$at" -N "$2" "$exe"); do hex=$byte$hex; done
    echo $((16#$hex))
}
signed32() { echo $(($1 >= 2147483648 ? $1 - 4294967296 : $1)); }
tables=$(printf '%s\n' "$symbols" | sed -n 's/^\([0-9a-f]*\) . __DELAY_IMPORT_DESCRIPTOR_\(.*\)/\1 \2/p')
bound=0
if [ -n "$delayed" ] && [ -z "$tables" ]; then
    echo "  no delay-load tables among the exe's symbols, so their slots cannot be checked" >&2
    failed=1
fi
while read -r descriptor lib; do
    [ -n "$lib" ] || continue
    merge=$((16#$(printf '%s\n' "$symbols" | awk -v n="tailMerge_$lib" '$3 ~ "^_+" n "$" { print $1 }')))
    iat=$((base + $(number_at $((16#$descriptor + 12)) 4)))
    int=$((base + $(number_at $((16#$descriptor + 16)) 4)))
    for ((i = 0; ; ++i)); do
        [ "$(number_at $((int + i * width)) "$width")" -gt 0 ] || break
        slot=$((iat + i * width))
        name=${slot_name[$slot]:-slot $(printf '%#x' $slot)}
        thunk=$(number_at "$slot" "$width")
        # i386: mov $slot,%eax; jmp merge. x86-64: lea slot(%rip),%rax; jmp merge.
        if [ "$width" -eq 4 ]; then
            opens=$(($(number_at "$thunk" 1) == 16#b8))
            loads=$(number_at $((thunk + 1)) 4)
            next=$((thunk + 5))
        else
            opens=$(($(number_at "$thunk" 3) == 16#058d48))
            loads=$((thunk + 7 + $(signed32 "$(number_at $((thunk + 3)) 4)")))
            next=$((thunk + 7))
        fi
        jumps=$(($(number_at "$next" 1) == 16#e9 ? next + 5 + $(signed32 "$(number_at $((next + 1)) 4)") : -1))
        if [ "$thunk" -le 0 ] || [ "$opens" -ne 1 ] || [ "$loads" -ne "$slot" ] || [ "$jumps" -ne "$merge" ]; then
            printf '  the slot of %s holds %#x, not the address of its thunk: its first call would go there\n' \
                "$name" "$thunk" >&2
            failed=1
        fi
        if [ -n "${absolute[${name}]:-}" ]; then
            echo "  $name is an absolute symbol of value 0: its stub and thunk were dropped" >&2
            failed=1
        fi
        bound=$((bound + 1))
    done
done <<<"$tables"
echo "functions bound at their first call: $bound"

count=$(printf '%s\n' "$imports" | grep -c . || true)
echo "functions imported at start-up: $count"
missing=$(printf '%s\n' "$imports" | grep -vxF -f <(grep -v '^#' "$here/win7-imports.txt") || true)
if [ -n "$missing" ]; then
    echo "  not known to be in Windows 7 SP1 (check, then add to tools/win7-imports.txt or look it up at run time):" >&2
    printf '    %s\n' $missing | paste - - >&2
    failed=1
fi

for field in Subsystem OSystem; do
    major=$(printf '%s\n' "$dump" | awk -v f="Major${field}Version" '$1 == f {print $2}')
    minor=$(printf '%s\n' "$dump" | awk -v f="Minor${field}Version" '$1 == f {print $2}')
    echo "${field} version: $major.$minor"
    if [ "$major" -gt 6 ] || { [ "$major" -eq 6 ] && [ "$minor" -gt 1 ]; }; then
        echo "  Windows 7 (6.1) would refuse to load it" >&2
        failed=1
    fi
done
[ "$failed" -eq 0 ] && echo "imports: fit for Windows 7 SP1 and later, no DLL from the exe's folder"
exit "$failed"
