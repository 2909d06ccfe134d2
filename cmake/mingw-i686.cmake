# Cross build of the 32-bit Windows program with mingw-w64.
set(mingw_arch i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
