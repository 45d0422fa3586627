# 64-bit Windows: the same program for Wine on machines that run no 32-bit Linux programs.
set(KORVI_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
