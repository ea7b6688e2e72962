#!/usr/bin/env bash
# Builds Trackvane and starts it on the demo data: under Wine on Linux, on the
# user's display when there is one, else on a virtual display.
. "$(dirname "$0")/setup.sh"
tv_setup
. "$TV_ROOT/tools/wine-env.sh"
cd "$TV_BUILD/win/bin"
if [ -z "${DISPLAY:-}" ]; then
    tv_start_xvfb 90
    tv_say "no display: Trackvane runs on the virtual display $DISPLAY"
    echo "   look at it with:  DISPLAY=$DISPLAY import -window root shot.png"
    echo "   send keys with:   DISPLAY=$DISPLAY xdotool search --name Trackvane key Return"
    echo "   stop it with Ctrl+C"
    trap 'kill $TV_XVFB_PID 2>/dev/null' EXIT
    tv_wine_managed N
else
    tv_wine_managed Y
fi
tv_say "starting Trackvane.exe in $PWD"
wine Trackvane.exe
