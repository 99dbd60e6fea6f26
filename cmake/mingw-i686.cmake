# The shipped 32-bit Windows programs.
set(KX_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
