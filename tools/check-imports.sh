#!/usr/bin/env bash
# Checks what Trackvane.exe needs from Windows before it ships:
#  - every DLL it imports at start-up is one of the system's known DLLs, which
#    the loader never looks for beside the exe (GDI+ and the common controls
#    are bound at their first call, after the program loaded them itself);
#  - every function it imports at start-up is one that Windows 7 SP1 has
#    (tools/win7-imports.txt lists them: each was checked against the
#    documented minimum version; a new one must be checked and added, or
#    looked up at run time with a fallback);
#  - its subsystem and OS versions let Windows 7 (6.1) load it.
# Prints what it found. Usage: check-imports.sh <exe> [objdump]
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
