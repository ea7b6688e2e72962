# Cross-build for 32-bit Windows: the same toolchain, for i686.
set(TRACKVANE_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
