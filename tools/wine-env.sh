# Sourced by the scripts: the Wine environment of one build tree.
#   TV_BUILD  the build folder (default: build/ beside the sources)
#   TV_BITS   32 for the 32-bit programs of the i686 build (default 64)
#   TV_LANG   the locale, and so the code page, programs run in (default
#             zh_CN.UTF-8: 936; en_US.UTF-8 gives 1252)
# Leaves WINEPREFIX, WINELOADER, LANG, WINEDEBUG exported and `wine` a function
# that starts the loader of that bitness; never touches ~/.wine.
TV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
TV_BUILD=${TV_BUILD:-$TV_ROOT/build}
# Debian's `wine` takes the 32-bit loader whenever wine32 is installed, also
# where the kernel refuses to start it; so each program gets the loader of its
# own bitness by name. 32-bit programs have a prefix of their own, made after
# wine32 was installed (an older one cannot start them).
if [ "${TV_BITS:-64}" = 32 ]; then
    export WINEPREFIX=$TV_BUILD/wineprefix32 WINEARCH=win32 WINELOADER=/usr/lib/wine/wine
else
    export WINEPREFIX=${WINEPREFIX:-$TV_BUILD/wineprefix} WINELOADER=/usr/lib/wine/wine64
    unset WINEARCH
fi
[ -x "$WINELOADER" ] || WINELOADER=$(command -v wine)
wine() { "$WINELOADER" "$@"; }
export WINEDEBUG=${WINEDEBUG:--all}
export LANG=${TV_LANG:-zh_CN.UTF-8}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
unset LC_ALL

# Whether this machine starts i386 programs at all: on some, the kernel
# refuses every one, 32-bit Wine's loader included. Decided by starting a tiny
# static one that exits with 42; TV_I386_REASON says why not.
tv_i386_runs() {
    local probe=$TV_BUILD/i386-probe
    if [ ! -x "$probe" ]; then
        mkdir -p "$TV_BUILD"
        printf '.globl _start\n_start: movl $1, %%eax\nmovl $42, %%ebx\nint $0x80\n' |
            as --32 -o "$probe.o" - && ld -m elf_i386 -o "$probe" "$probe.o" && rm "$probe.o" || {
            TV_I386_REASON="no i386 test program could be made (as --32, ld -m elf_i386)"
            return 1
        }
    fi
    local said status=0
    said=$(LC_ALL=C; "$probe" 2>&1) || status=$?
    [ "$status" -eq 42 ] && return 0
    TV_I386_REASON="this machine cannot run i386 programs: a static i386 program gave exit code $status${said:+ (${said##*: })}"
    return 1
}

# Whether 32-bit programs can run under Wine here: the machine runs i386
# programs and 32-bit Wine is installed. TV_I386_REASON says why not.
tv_wine32_ready() {
    tv_i386_runs || return 1
    [ -x /usr/lib/wine/wine ] && dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'ok installed' &&
        return 0
    TV_I386_REASON=$(cat "$TV_BUILD/wine32-missing" 2>/dev/null || echo "32-bit Wine (wine32) is not installed")
    return 1
}
