# Sourced by run.sh and test.sh: installs what is missing, makes the locale,
# builds, and prepares the Wine prefix. Idempotent; each step is skipped when
# it is already done.
set -euo pipefail
TV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
TV_BUILD=${TV_BUILD:-$TV_ROOT/build}
export TV_BUILD
JOBS=${JOBS:-$(nproc)}

tv_say() { printf '\n== %s\n' "$*"; }

tv_as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# A mirror being synchronised answers with files of the wrong size for a
# while ("Mirror sync in progress?"): apt-get update is tried a few times.
tv_apt_update() {
    local try
    for try in 1 2 3 4; do
        tv_as_root apt-get update && return 0
        [ "$try" -lt 4 ] && { tv_say "apt-get update failed; trying again in $((try * 15)) s"; sleep $((try * 15)); }
    done
    return 1
}

tv_install_packages() {
    local want=(g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine wine64 xvfb fonts-wqy-zenhei locales
                imagemagick xdotool x11-utils cmake g++ make googletest clang
                libclang-rt-14-dev zip)
    local missing=()
    for p in "${want[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        tv_say "installing: ${missing[*]}"
        tv_apt_update
        DEBIAN_FRONTEND=noninteractive tv_as_root apt-get install -y --no-install-recommends "${missing[@]}"
    fi
}

# zh_CN gives code page 936 under Wine; en_US gives 1252, where the tests run
# once more.
tv_make_locale() {
    local l
    for l in zh_CN en_US; do
        if ! locale -a 2>/dev/null | grep -qi "^$l\.utf-\?8$"; then
            tv_say "generating the $l.UTF-8 locale"
            tv_as_root localedef -i "$l" -f UTF-8 "$l.UTF-8"
        fi
    done
}

# One CMake project, configured for each Windows target.
tv_build_windows() {
    local tree=$1 toolchain=$2
    shift 2
    cmake -S "$TV_ROOT" -B "$TV_BUILD/$tree" -DCMAKE_BUILD_TYPE=Release \
          -DCMAKE_TOOLCHAIN_FILE="$TV_ROOT/cmake/$toolchain.cmake" "$@" >/dev/null
    cmake --build "$TV_BUILD/$tree" -j"$JOBS"
}

tv_build() {
    tv_say "building (native core tests, then the Windows program for 32-bit and 64-bit Windows)"
    cmake -S "$TV_ROOT" -B "$TV_BUILD/host" -DCMAKE_BUILD_TYPE=Debug >/dev/null
    cmake --build "$TV_BUILD/host" -j"$JOBS"
    # The fuzz target of the file readers needs clang's libFuzzer.
    local fuzz=""
    if command -v clang++ >/dev/null; then
        cmake -S "$TV_ROOT" -B "$TV_BUILD/fuzz" -DCMAKE_BUILD_TYPE=Debug \
              -DCMAKE_CXX_COMPILER=clang++ >/dev/null
        cmake --build "$TV_BUILD/fuzz" -j"$JOBS" --target records_fuzz
        fuzz="$TV_BUILD/fuzz/tests/host/records_fuzz"
    fi
    tv_build_windows win32 mingw-w64-i686
    tv_build_windows win mingw-w64 -DTRACKVANE_HOST_BUILD="$TV_BUILD/host" \
                     -DTRACKVANE_FUZZER="$fuzz" -DTRACKVANE_I686_BUILD="$TV_BUILD/win32"
}

# 32-bit Wine only where this machine starts i386 programs: where the kernel
# refuses them, wine32 cannot start either, and installed it takes the `wine`
# command for 64-bit programs down with it. Where it cannot be installed (a
# package mirror that fails), the run goes on without it and the 32-bit
# tests say why they skip. Sets TV_I386 to yes or no.
tv_i386_support() {
    local reason
    rm -f "$TV_BUILD/wine32-missing"
    if reason=$(. "$TV_ROOT/tools/wine-env.sh"; tv_i386_runs || { echo "$TV_I386_REASON"; false; }); then
        TV_I386=yes
        if ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'ok installed'; then
            tv_say "this machine runs i386 programs: installing 32-bit Wine"
            tv_install_wine32 || TV_I386=no
        fi
    else
        TV_I386=no
        tv_say "$reason; so no 32-bit Wine: the 32-bit exe is built and checked, its tests under Wine report Skipped"
    fi
}

tv_install_wine32() {
    local added=no
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        tv_as_root dpkg --add-architecture i386
        added=yes
    fi
    if tv_apt_update &&
        DEBIAN_FRONTEND=noninteractive tv_as_root apt-get install -y --no-install-recommends wine32:i386; then
        return 0
    fi
    # An i386 architecture with nothing installed from it would leave the
    # next apt-get update to fetch the index that failed.
    if [ "$added" = yes ] && [ -z "$(dpkg-query -W -f='${Package}\n' '*:i386' 2>/dev/null)" ]; then
        tv_as_root dpkg --remove-architecture i386 || true
    fi
    mkdir -p "$TV_BUILD"
    echo "32-bit Wine (wine32) could not be installed: the package mirror failed" >"$TV_BUILD/wine32-missing"
    tv_say "$(cat "$TV_BUILD/wine32-missing"); the 32-bit exe is built and checked, its tests under Wine report Skipped"
    return 1
}

# The Wine prefix of the 64-bit programs, or with TV_BITS=32 the 32-bit one.
tv_wine_prefix() {
    . "$TV_ROOT/tools/wine-env.sh"
    if [ ! -f "$WINEPREFIX/.trackvane-ready" ]; then
        tv_say "preparing the Wine prefix in $WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        wine wineboot -i >/dev/null 2>&1 || true
        local key='HKCU\Software\Wine\Fonts\Replacements'
        for f in 黑体 宋体 SimHei SimSun 新宋体 NSimSun 微软雅黑 "Microsoft YaHei"; do
            wine reg add "$key" /v "$f" /t REG_SZ /d 'WenQuanYi Zen Hei' /f >/dev/null 2>&1
        done
        wineserver -w
        touch "$WINEPREFIX/.trackvane-ready"
    fi
}

tv_demo_data() {
    "$TV_ROOT/tools/make-demo-data.sh" "$TV_BUILD/win/bin"
    "$TV_ROOT/tools/make-demo-data.sh" "$TV_BUILD/win32/bin"
}

# Whether the window manager manages Wine's windows. On a bare virtual
# display there is none, and Wine would wait two seconds for it at every
# window that is hidden or destroyed.
tv_wine_managed() {
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d "$1" /f >/dev/null 2>&1
}

# A program that crashes under a test ends at once with its exception code,
# after Wine's one line that names the address. Wine's own debugger would
# wait behind a crash dialog on the virtual display until the test timed out,
# and without that dialog would end the crashed program with exit code 0.
tv_wine_crash_ends() {
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /t REG_SZ /d '' /f \
        >/dev/null 2>&1
}

# Runs a command in the Wine environment of each prefix in use (after tv_setup).
tv_each_prefix() {
    local bits
    for bits in 64 $([ "$TV_I386" = yes ] && echo 32); do
        (TV_BITS=$bits && . "$TV_ROOT/tools/wine-env.sh" && "$@")
    done
}

# A virtual display of our own; sets DISPLAY and TV_XVFB_PID.
tv_start_xvfb() {
    local n=${1:-99}
    while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
    TV_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do
        [ -e "/tmp/.X11-unix/X$n" ] && return 0
        sleep 0.1
    done
}

tv_setup() {
    tv_install_packages
    tv_make_locale
    tv_i386_support
    tv_build
    tv_wine_prefix
    if [ "$TV_I386" = yes ]; then (TV_BITS=32 && tv_wine_prefix); fi
    tv_demo_data
}
