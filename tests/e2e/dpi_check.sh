#!/usr/bin/env bash
# On a laptop at 150 % scaling (144 DPI) the audience window must still be the
# configured size in real pixels, while the dialogs grow with their font.
# Runs the real exe at 96 and at 144 DPI, each on a display of its own, and
# reads the window sizes from the X server.
# Usage: dpi_check.sh <folder of Trackvane.exe>
set -euo pipefail
bin=$(readlink -f "$1")
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../tools/wine-env.sh"
key='HKCU\Control Panel\Desktop'
work=$(mktemp -d)
trap 'wine reg delete "$key" /v LogPixels /f >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
cp -r "$bin/." "$work/"
rm -f "$work/data/_records.csv"
printf '[Trackvane]\r\nwidth=1920\r\nheight=1080\r\n' > "$work/Trackvane.ini"

# Prints "dialog-width dialog-height output-geometry" for one DPI.
measure() {
    wine reg add "$key" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    # A running Wine session keeps the display it started on; use that one.
    local display=${DISPLAY:-} xvfb=""
    if [ -z "$display" ]; then
        local n=50
        while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
        Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
        xvfb=$!
        display=":$n"
        sleep 1
    fi
    (cd "$work" && DISPLAY="$display" exec "$WINELOADER" Trackvane.exe) &
    local program=$!
    local tree=""
    for _ in $(seq 40); do
        sleep 0.5
        tree=$(DISPLAY="$display" xwininfo -root -tree 2>/dev/null || true)
        echo "$tree" | grep -q '1920x1080\|Trackvane（' && echo "$tree" | grep -q 'has no name.*trackvane' && break
    done
    sleep 1
    tree=$(DISPLAY="$display" xwininfo -root -tree)
    DISPLAY="$display" wine taskkill /f /im Trackvane.exe >/dev/null 2>&1 || true
    wait "$program" 2>/dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    true
    local dialog output
    dialog=$(echo "$tree" | grep 'Trackvane（' | grep -o '[0-9]*x[0-9]*+' | head -n1 | tr 'x+' '  ')
    # The largest nameless window of the program: the drop-down lists of its
    # combo boxes are nameless top-level windows too.
    output=$(echo "$tree" | grep 'has no name.*"trackvane.exe"' | grep -o '[0-9]*x[0-9]*+[0-9]*+[0-9]*' |
        awk -Fx '{ split($2, r, "+"); print $1 * r[1], $0 }' | sort -n | tail -n1 | cut -d' ' -f2)
    echo "$dialog $output"
}

read -r w96 h96 out96 <<<"$(measure 96)"
read -r w144 h144 out144 <<<"$(measure 144)"
echo "96 DPI: control dialog ${w96}x${h96}, audience window $out96"
echo "144 DPI: control dialog ${w144}x${h144}, audience window $out144"
status=0
# The same place and size in real pixels at both settings.
[ "${out144%%+*}" = "1920x1080" ] || { echo "FAIL: the audience window is not 1920x1080 real pixels at 144 DPI"; status=1; }
[ "${out96%%+*}" = "1920x1080" ] || { echo "FAIL: the audience window is not 1920x1080 at 96 DPI"; status=1; }
[ "$out144" = "$out96" ] || { echo "FAIL: the audience window moved with the DPI"; status=1; }
# The dialog follows its font: about one and a half times as large.
if [ $((w144 * 100 / w96)) -lt 130 ] || [ $((h144 * 100 / h96)) -lt 130 ]; then
    echo "FAIL: the control dialog did not grow with the DPI"; status=1
fi
[ $status -eq 0 ] && echo "1 passed, 0 failed"
exit $status
