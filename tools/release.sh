#!/usr/bin/env bash
# Builds the Windows release zip: Trackvane.exe (static, no other DLLs), the
# sample data folder, the commented Trackvane.ini and the operator's guide.
# Then unpacks it into an empty folder and starts the exe from there under
# Wine, to show that the zip holds everything it needs.
#   tools/release.sh              set up, build, package, check
#   tools/release.sh --no-build   package and check an existing build
# The zip lands in dist/.
set -euo pipefail
TV_ROOT=$(cd "$(dirname "$0")/.." && pwd)
TV_BUILD=${TV_BUILD:-$TV_ROOT/build}
. "$TV_ROOT/tools/setup.sh"
if [ "${1:-}" != --no-build ]; then tv_setup; else tv_demo_data; fi

version=$(sed -n 's/^ *FILEVERSION \([0-9]*\),\([0-9]*\),\([0-9]*\),.*/\1.\2.\3/p' "$TV_ROOT/res/Trackvane.rc")
name=Trackvane-$version
dist=$TV_ROOT/dist
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
root=$stage/$name
bin=$TV_BUILD/win/bin

tv_say "packaging $name"
mkdir -p "$root/data" "$root/docs"
cp "$bin/Trackvane.exe" "$bin/bg.jpg" "$bin/logo.png" "$root/"
cp "$bin/data/psn.txt" "$bin"/data/*.jpg "$root/data/"
# The settings file is read in the system code page, as Notepad's ANSI.
iconv -f UTF-8 -t GBK "$TV_ROOT/res/Trackvane.ini" | sed 's/$/\r/' > "$root/Trackvane.ini"
if [ -d "$TV_ROOT/docs/guide" ]; then cp -r "$TV_ROOT/docs/guide/." "$root/docs/"; fi
# Nothing but the exe itself may be needed: no mingw DLLs, no DLL that the
# loader would look for beside the exe, nothing newer than Windows 7.
tv_say "checking what Trackvane.exe imports"
"$TV_ROOT/tools/check-imports.sh" "$root/Trackvane.exe"
mkdir -p "$dist"
rm -f "$dist/$name.zip"
(cd "$stage" && zip -qr "$dist/$name.zip" "$name")
tv_say "built $dist/$name.zip"

# Start it from a folder that holds only what the zip holds.
check=$(mktemp -d)
trap 'rm -rf "$stage" "$check"' EXIT
(cd "$check" && unzip -q "$dist/$name.zip")
. "$TV_ROOT/tools/wine-env.sh"
tv_wine_prefix
# A display of its own, so that no other window can pass for it.
tv_start_xvfb 75
own_display=$TV_XVFB_PID
tv_wine_managed N
(cd "$check/$name" && exec wine Trackvane.exe) &
program=$!
started=""
for _ in $(seq 60); do
    if xdotool search --name 'Trackvane（' >/dev/null 2>&1; then started=yes; break; fi
    sleep 0.5
done
sleep 1
wine taskkill /f /im Trackvane.exe >/dev/null 2>&1 || true
wait "$program" 2>/dev/null || true
kill "$own_display" 2>/dev/null || true
if [ -z "$started" ]; then
    echo "the exe from the zip did not start" >&2
    exit 1
fi
tv_say "the exe from the zip starts: its control dialog came up"
