# Cross-build for Windows with mingw-w64 (POSIX-thread flavour: the default
# flavour lacks std::mutex, which GoogleTest needs). 64-bit, unless
# TRACKVANE_MINGW_ARCH says otherwise (cmake/mingw-w64-i686.cmake).
if(NOT TRACKVANE_MINGW_ARCH)
    set(TRACKVANE_MINGW_ARCH x86_64)
endif()
set(triple ${TRACKVANE_MINGW_ARCH}-w64-mingw32)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${TRACKVANE_MINGW_ARCH})
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(TRACKVANE_MINGW_LIB /usr/${triple}/lib)
set(TRACKVANE_DLLTOOL ${triple}-dlltool)
set(TRACKVANE_OBJDUMP ${triple}-objdump)
set(CMAKE_NM ${triple}-nm)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Cross-built tests run under Wine through this wrapper, each with the loader
# of its own bitness.
if(TRACKVANE_MINGW_ARCH STREQUAL i686)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run wine32)
else()
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run wine64)
endif()
