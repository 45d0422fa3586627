# Cross-compiling for Windows with the posix-thread MinGW-w64 toolchain of KORVI_MINGW_ARCH
# (set by the toolchain file that includes this one).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${KORVI_MINGW_ARCH})
set(KORVI_MINGW_HOST ${KORVI_MINGW_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${KORVI_MINGW_HOST}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KORVI_MINGW_HOST}-g++-posix)
set(CMAKE_RC_COMPILER ${KORVI_MINGW_HOST}-windres)

get_filename_component(KORVI_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(KORVI_WINDOWS_DEPS "${KORVI_ROOT}/build/windows-deps-${KORVI_MINGW_ARCH}" CACHE PATH
    "zlib, libpng, libwebp and libaom built for Windows")
set(CMAKE_FIND_ROOT_PATH /usr/${KORVI_MINGW_HOST} "${KORVI_WINDOWS_DEPS}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# SSE2 arithmetic, so that a double is a double as in the native build and both round alike.
# Windows keeps the stack only 16-byte aligned, so vector moves of the AVX2 code that spill to
# it are assembled as unaligned ones.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse -Wa,-muse-unaligned-vector-move")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse -Wa,-muse-unaligned-vector-move")

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_CROSSCOMPILING_EMULATOR "${KORVI_ROOT}/scripts/wine-run.sh")
