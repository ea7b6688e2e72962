#!/usr/bin/env bash
# Builds and runs the refresh benchmark under Wine on a virtual display and
# prints its table. Arguments go to the benchmark (--quick, --runs N,
# --cpu-seconds N, --from-scratch, --frame WxH, --races N,N, --table-only,
# --term: the term board of 学期成绩 on 100000 races alone, --classes: switching classes and 名单 of 2000).
#   tools/bench.sh --both   the 32-bit build against the 64-bit build: the
#                           refresh at 1920x1080 with 0 and 100000 races
. "$(dirname "$0")/setup.sh"
tv_setup
. "$TV_ROOT/tools/wine-env.sh"
tv_start_xvfb 70
trap 'tv_each_prefix wineserver -k 2>/dev/null || true; kill $TV_XVFB_PID 2>/dev/null' EXIT
# The benchmark of the build of one bitness, in its own prefix.
bench() {
    local bits=$1 tree=win
    shift
    [ "$bits" = 32 ] && tree=win32
    (TV_BITS=$bits && . "$TV_ROOT/tools/wine-env.sh" && tv_wine_managed N &&
        cd "$TV_BUILD/$tree/bench" && wine RefreshBench.exe "$@")
}
if [ "${1:-}" = --both ]; then
    shift
    set -- --frame 1920x1080 --races 0,100000 --table-only "$@"
    if tv_wine32_ready; then
        bench 32 "$@"
    else
        echo "32-bit build: $TV_I386_REASON; no figure"
    fi
fi
bench 64 "$@"
