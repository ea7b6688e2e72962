# Sourced by the scripts: the Wine environment of one build tree.
#   TV_BUILD  the build folder (default: build/ beside the sources)
#   TV_LANG   the locale, and so the code page, programs run in (default
#             zh_CN.UTF-8: 936; en_US.UTF-8 gives 1252)
# Leaves WINEPREFIX, LANG, WINEDEBUG exported; never touches ~/.wine.
TV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
TV_BUILD=${TV_BUILD:-$TV_ROOT/build}
export WINEPREFIX=${WINEPREFIX:-$TV_BUILD/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export LANG=${TV_LANG:-zh_CN.UTF-8}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
unset LC_ALL
