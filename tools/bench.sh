#!/usr/bin/env bash
# Builds and runs the refresh benchmark under Wine on a virtual display and
# prints its table. Arguments go to the benchmark (--quick, --cpu-seconds N,
# --from-scratch).
. "$(dirname "$0")/setup.sh"
tv_setup
. "$TV_ROOT/tools/wine-env.sh"
tv_start_xvfb 70
trap 'wineserver -k 2>/dev/null; kill $TV_XVFB_PID 2>/dev/null' EXIT
tv_wine_managed N
cd "$TV_BUILD/win/bench"
wine RefreshBench.exe "$@"
