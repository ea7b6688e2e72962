#!/usr/bin/env bash
# Starts Trackvane on a virtual display, types keys into the control dialog
# and saves a screenshot.
# Usage: screenshot.sh <out.png> [seconds to wait] [key ...]
#   each key argument is typed into the control dialog, one second apart
#   (xdotool key names: Return, 1, KP_2, period; "sleep:N" waits N seconds)
# Environment:
#   TV_BIN     folder of Trackvane.exe (default: build/win/bin)
#   TV_SCREEN  size of the virtual screen (default 1920x1080x24)
#   TV_CROP    ImageMagick crop geometry for the saved picture (default: none)
set -euo pipefail
TV_ROOT=$(cd "$(dirname "$0")/.." && pwd)
TV_BUILD=${TV_BUILD:-$TV_ROOT/build}
. "$TV_ROOT/tools/setup.sh"
. "$TV_ROOT/tools/wine-env.sh"
out=$(readlink -f "$1"); wait_s=${2:-4}; shift 2 || true
screen=${TV_SCREEN:-1920x1080x24}
n=80; while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 "$screen" -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=":$n"
sleep 1
trap 'wineserver -k 2>/dev/null; kill $xvfb 2>/dev/null' EXIT
tv_wine_managed N
cd "${TV_BIN:-$TV_BUILD/win/bin}"
wine Trackvane.exe &
sleep "$wait_s"
dlg=$(xdotool search --name 'Trackvane' | head -n1)
for k in "$@"; do
    case "$k" in
        sleep:*) sleep "${k#sleep:}" ;;
        *) xdotool windowfocus --sync "$dlg" key "$k"; sleep 1 ;;
    esac
done
sleep 1
if [ -n "${TV_CROP:-}" ]; then
    import -window root -crop "$TV_CROP" +repage "$out"
else
    import -window root "$out"
fi
