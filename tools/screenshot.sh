#!/usr/bin/env bash
# Starts Trackvane on a virtual display, optionally sends keys, and saves a
# screenshot of the whole screen.
# Usage: screenshot.sh <out.png> [seconds to wait] [xdotool key ...]
set -euo pipefail
TV_ROOT=$(cd "$(dirname "$0")/.." && pwd)
TV_BUILD=${TV_BUILD:-$TV_ROOT/build}
. "$TV_ROOT/tools/setup.sh"
. "$TV_ROOT/tools/wine-env.sh"
out=$(readlink -f "$1"); wait_s=${2:-4}; shift 2 || true
tv_start_xvfb 80
trap 'wineserver -k 2>/dev/null; kill $TV_XVFB_PID 2>/dev/null' EXIT
tv_wine_managed N
cd "${TV_BIN:-$TV_BUILD/win/bin}"
wine Trackvane.exe &
sleep "$wait_s"
for keys in "$@"; do
    win=$(xdotool search --name 'Trackvane' | head -n1)
    xdotool key --window "$win" $keys
    sleep 1
done
import -window root "$out"
