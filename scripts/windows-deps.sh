#!/usr/bin/env bash
# Cross-builds zlib, libpng, libwebp and libaom for Windows (ARCH: i686, the product, or x86_64)
# from Debian's own source packages into a cached prefix; does nothing when the prefix is complete.
#   windows-deps.sh [ARCH]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
arch=${1:-i686}
# shellcheck source=scripts/apt.sh
. "$here/scripts/apt.sh"
prefix="$here/build/windows-deps-$arch"
[ -f "$prefix/lib/libpng.a" ] && [ -f "$prefix/lib/libz.a" ] && [ -f "$prefix/lib/libwebpdemux.a" ] &&
  [ -f "$prefix/lib/libaom.a" ] && exit 0

work="$here/build/windows-deps-src-$arch"
rm -rf "$work" "$prefix" && mkdir -p "$work" "$prefix"
cd "$work"

src_list=/etc/apt/sources.list.d/korvi-src.sources
fetch_sources() { apt-get source -qq zlib libpng1.6 libwebp aom >/dev/null 2>&1; }
# An earlier run may have stopped after writing the entry but before the package lists knew it.
if ! fetch_sources; then
  require_root "fetching Debian's zlib, libpng and libwebp sources"
  if [ ! -f "$src_list" ]; then
    cat >"$src_list" <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  fi
  apt_get update -qq
  rm -rf "${work:?}"/*
  fetch_sources || { echo "windows-deps: apt-get source zlib libpng1.6 libwebp aom failed" >&2; exit 1; }
fi
host=$arch-w64-mingw32

cd "$work"/zlib-*/
CHOST=$host CC=$host-gcc-posix AR=$host-ar RANLIB=$host-ranlib ./configure --static --prefix="$prefix" >/dev/null
make -s -j"$(nproc)" libz.a >/dev/null
make -s install >/dev/null 2>&1

cd "$work"/libpng1.6-*/
CC=$host-gcc-posix CPPFLAGS="-I$prefix/include" LDFLAGS="-L$prefix/lib" \
  ./configure --host=$host --enable-static --disable-shared --prefix="$prefix" >/dev/null
make -s -j"$(nproc)" >/dev/null
make -s install >/dev/null 2>&1

# The libraries only (src/ and the sharpyuv/ it takes in), with the SSE2 arithmetic of the
# program's own code, so that both builds encode alike.
cd "$work"/libwebp-*/
CC=$host-gcc-posix CFLAGS="-O2 -msse2 -mfpmath=sse" \
  ./configure --host=$host --enable-static --disable-shared --prefix="$prefix" >/dev/null
make -s -C sharpyuv -j"$(nproc)" >/dev/null
make -s -C src -j"$(nproc)" >/dev/null
make -s -C src install >/dev/null 2>&1

# libaom, the AV1 encoder and decoder of korvi-cli's AVIF: the libraries only, with its own
# MinGW toolchain files, nasm for its vector code and the SSE2 arithmetic of the program's own
# code, so that both builds encode alike. High bit depths stay in for 10- and 12-bit files.
cd "$work"/aom-*/
case $arch in i686) aom_toolchain=x86-mingw-gcc.cmake ;; *) aom_toolchain=x86_64-mingw-gcc.cmake ;; esac
cmake -S . -B build-korvi -DCMAKE_TOOLCHAIN_FILE="$PWD/build/cmake/toolchains/$aom_toolchain" \
  -DCMAKE_C_COMPILER=$host-gcc-posix -DCMAKE_CXX_COMPILER=$host-g++-posix \
  -DCMAKE_C_FLAGS="-msse2 -mfpmath=sse" -DCMAKE_CXX_FLAGS="-msse2 -mfpmath=sse" \
  -DCMAKE_BUILD_TYPE=Release -DENABLE_EXAMPLES=0 -DENABLE_TESTS=0 -DENABLE_DOCS=0 -DENABLE_TOOLS=0 \
  -DBUILD_SHARED_LIBS=0 -DCMAKE_INSTALL_PREFIX="$prefix" >/dev/null
cmake --build build-korvi -j"$(nproc)" >/dev/null
cmake --install build-korvi >/dev/null
rm -rf "$work"
