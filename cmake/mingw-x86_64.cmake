# The same sources for 64-bit Windows, whose tests run under 64-bit Wine.
set(KX_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
