#!/usr/bin/env bash
# The program's folders stand in layers: a folder includes only from folders
# below it, never from one that includes it back, directly or around a ring of
# three or more, and no program file includes anything under tests/. Prints
# each ring with the includes that close it, and fails when there is one.
# Usage: tools/check-folders.sh [source root]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"
folders=$(ls -d */ | tr -d / | grep -vx 'tests\|build\|dist\|docs\|cmake')
# shellcheck disable=SC2086
find $folders -name '*.cpp' -o -name '*.h' | sort | xargs grep -H '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' |
awk -F: '
{
    file = $1
    line = $0
    sub(/^[^:]*:/, "", line)
    match(line, /"[^"]*"/)
    inc = substr(line, RSTART + 1, RLENGTH - 2)
    split(file, f, "/")
    from = f[1]
    if (inc ~ /^tests\//) { printf "%s includes test code %s\n", file, inc; bad = 1 }
    if (index(inc, "/") == 0) next
    split(inc, t, "/")
    to = t[1]
    if (to == from || to == "tests") next
    if (!((from, to) in why)) { why[from, to] = file " includes " inc; out[from] = out[from] " " to }
    nodes[from] = 1
    nodes[to] = 1
}
function visit(n, path, depth,    list, k, i, m, cycle, start, key) {
    state[n] = 1
    stack[depth] = n
    k = split(out[n], list, " ")
    for (i = 1; i <= k; i++) {
        m = list[i]
        if (state[m] == 1) {
            # A ring of three or more: from m, where it entered the stack,
            # round to m again (two that include each other are told above).
            for (start = 1; stack[start] != m; start++) {}
            cycle = ""
            key = ""
            for (j = start; j <= depth; j++) cycle = cycle stack[j] " -> "
            cycle = cycle m
            if (depth - start >= 2 && !(cycle in told)) {
                told[cycle] = 1
                printf "folder ring: %s\n", cycle
                for (j = start; j < depth; j++) printf "  %s\n", why[stack[j], stack[j + 1]]
                printf "  %s\n", why[stack[depth], m]
                bad = 1
            }
        } else if (state[m] == 0) {
            visit(m, path, depth + 1)
        }
    }
    state[n] = 2
}
END {
    for (pair in why) {
        split(pair, ab, SUBSEP)
        if (ab[1] < ab[2] && ((ab[2], ab[1]) in why)) {
            printf "folders %s and %s include each other:\n  %s\n  %s\n", ab[1], ab[2], why[ab[1], ab[2]], why[ab[2], ab[1]]
            bad = 1
        }
    }
    for (n in nodes) if (state[n] == 0) visit(n, "", 1)
    if (bad) exit 1
    print "no folder includes another that includes it back, and no program file includes tests/"
}'
