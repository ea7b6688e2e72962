#!/usr/bin/env bash
# Builds everything and runs every test: the core's unit tests natively under
# sanitizers, and the Windows tests and end-to-end tests under Wine on a
# virtual display. Ends with ctest's summary line.
. "$(dirname "$0")/setup.sh"
tv_setup
. "$TV_ROOT/tools/wine-env.sh"
tv_start_xvfb 95
wineserver -p
tv_wine_managed N
trap 'wineserver -k 2>/dev/null; kill $TV_XVFB_PID 2>/dev/null' EXIT
cd "$TV_BUILD/win"
ctest --output-on-failure --timeout 600 "$@"
