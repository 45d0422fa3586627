# The product: 32-bit Windows.
set(KORVI_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
