#!/usr/bin/env bash
# Builds the Windows release zip: Trackvane.exe (the 32-bit build, which runs
# on 32-bit and 64-bit Windows alike; static, no other DLLs), the sample data
# folder, the commented Trackvane.ini and the operator's guide as one HTML file.
# Then unpacks it into an empty folder and starts the exe from there under
# Wine, to show that the zip holds everything it needs. Where the machine
# cannot run i386 programs, it starts the 64-bit twin there instead.
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
bin=$TV_BUILD/win32/bin

tv_say "packaging $name"
mkdir -p "$root/data"
cp "$bin/Trackvane.exe" "$bin/bg.jpg" "$bin/logo.png" "$root/"
cp "$bin/data/psn.txt" "$bin"/data/*.jpg "$root/data/"
# The settings file is read in the system code page, as Notepad's ANSI.
iconv -f UTF-8 -t GBK "$TV_ROOT/res/Trackvane.ini" | sed 's/$/\r/' > "$root/Trackvane.ini"
# The operator's guide as one HTML file with its pictures inside, so that a
# double-click opens it whole in any browser.
if ! command -v pandoc >/dev/null; then
    tv_say "installing pandoc (for the guide)"
    tv_as_root apt-get update
    DEBIAN_FRONTEND=noninteractive tv_as_root apt-get install -y --no-install-recommends pandoc
fi
guide=$root/操作指南.html
(cd "$TV_ROOT/docs/guide" &&
    pandoc 操作指南.md -f gfm -t html5 -s --self-contained --metadata pagetitle="Trackvane 操作指南" \
           -V lang=zh-CN -c guide.css -o "$guide")
if grep -qE '(src|href)="(images/|[^"#:]*\.(png|jpg|css)")' "$guide"; then
    echo "the guide still points at files beside it" >&2
    exit 1
fi
# Nothing but the exe itself may be needed: no mingw DLLs, no DLL that the
# loader would look for beside the exe, nothing newer than Windows 7.
tv_say "checking what Trackvane.exe imports"
"$TV_ROOT/tools/check-imports.sh" "$root/Trackvane.exe" i686-w64-mingw32-objdump
# (Read whole first: grep -q would stop early and fail the pipe under pipefail.)
if [[ "$(LC_ALL=C i686-w64-mingw32-objdump -f "$root/Trackvane.exe")" != *"file format pei-i386"* ]]; then
    echo "Trackvane.exe is not the 32-bit exe" >&2
    exit 1
fi
mkdir -p "$dist"
rm -f "$dist/$name.zip"
# Names such as 操作指南.html and data\张伟.jpg are stored as UTF-8 with the
# zip's UTF-8 flag set; without it, Windows reads them in its own code page
# and a photo no longer matches its name in the roster.
if ! command -v python3 >/dev/null; then
    DEBIAN_FRONTEND=noninteractive tv_as_root apt-get install -y --no-install-recommends python3
fi
(cd "$stage" && python3 - "$dist/$name.zip" "$name" <<'PY'
import os, sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED) as z:
    for folder, dirs, files in os.walk(sys.argv[2]):
        dirs.sort()
        z.write(folder)
        for f in sorted(files):
            z.write(os.path.join(folder, f))
PY
)
tv_say "built $dist/$name.zip"

# Start it from a folder that holds only what the zip holds.
check=$(mktemp -d)
trap 'rm -rf "$stage" "$check"' EXIT
(cd "$check" && unzip -q "$dist/$name.zip")
. "$TV_ROOT/tools/wine-env.sh"
if tv_wine32_ready; then
    TV_BITS=32
    started="the exe from the zip"
else
    # Built from the same sources, it needs the same files beside it.
    cp "$TV_BUILD/win/bin/Trackvane.exe" "$check/$name/Trackvane.exe"
    started="the 64-bit twin of the exe from the zip, built from the same sources, in the zip's folder ($TV_I386_REASON)"
fi
tv_wine_prefix
# A display of its own, so that no other window can pass for it.
tv_start_xvfb 75
own_display=$TV_XVFB_PID
tv_wine_managed N
(cd "$check/$name" && exec "$WINELOADER" Trackvane.exe) &
program=$!
up=""
for _ in $(seq 60); do
    if xdotool search --name 'Trackvane（' >/dev/null 2>&1; then up=yes; break; fi
    sleep 0.5
done
sleep 1
wine taskkill /f /im Trackvane.exe >/dev/null 2>&1 || true
wait "$program" 2>/dev/null || true
kill "$own_display" 2>/dev/null || true
if [ -z "$up" ]; then
    echo "$started did not start" >&2
    exit 1
fi
tv_say "started $started: its control dialog came up"
