#!/usr/bin/env bash
# Builds everything and runs every test: the core's unit tests natively under
# sanitizers, and the Windows tests and end-to-end tests of the 64-bit and the
# 32-bit build under Wine on a virtual display (the 32-bit ones report Skipped
# where the machine cannot run i386 programs). Ends with ctest's summary line.
. "$(dirname "$0")/setup.sh"
tv_setup
# The 32-bit programs on a display of their own, so that they run beside the
# 64-bit ones without taking each other's keys or foreground window.
xvfbs=""
if [ "$TV_I386" = yes ]; then
    tv_start_xvfb 96
    export TV_DISPLAY_32=$DISPLAY
    xvfbs=$TV_XVFB_PID
fi
tv_start_xvfb 95
xvfbs="$xvfbs $TV_XVFB_PID"
tv_each_prefix wineserver -p
tv_each_prefix tv_wine_managed N
tv_each_prefix tv_wine_crash_ends
trap 'tv_each_prefix wineserver -k 2>/dev/null || true; kill $xvfbs 2>/dev/null' EXIT
. "$TV_ROOT/tools/wine-env.sh"
cd "$TV_BUILD/win"
ctest --output-on-failure --timeout 600 -j2 "$@"
