#!/usr/bin/env bash
# Cross-builds zlib, libpng, libwebp and gumbo for Windows (ARCH: i686, the product, or x86_64)
# from Debian's own source packages into a cached prefix; does nothing when the prefix is complete.
#   windows-deps.sh [ARCH]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
arch=${1:-i686}
# shellcheck source=scripts/apt.sh
. "$here/scripts/apt.sh"
prefix="$here/build/windows-deps-$arch"
[ -f "$prefix/lib/libpng.a" ] && [ -f "$prefix/lib/libz.a" ] && [ -f "$prefix/lib/libwebpdemux.a" ] &&
  [ -f "$prefix/lib/libgumbo.a" ] && exit 0

work="$here/build/windows-deps-src-$arch"
rm -rf "$work" "$prefix" && mkdir -p "$work" "$prefix"
cd "$work"

src_list=/etc/apt/sources.list.d/korvi-src.sources
fetch_sources() { apt-get source -qq zlib libpng1.6 libwebp gumbo-parser >/dev/null 2>&1; }
# An earlier run may have stopped after writing the entry but before the package lists knew it.
if ! fetch_sources; then
  require_root "fetching Debian's zlib, libpng, libwebp and gumbo sources"
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
  fetch_sources || { echo "windows-deps: apt-get source zlib libpng1.6 libwebp gumbo-parser failed" >&2; exit 1; }
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

# gumbo, korvi-cli's HTML parser: its C files make the library as they are (its build system
# only wraps them), with unwind tables so that short memory can leave through its frames.
cd "$work"/gumbo-parser-*/
mkdir -p objects
for source in src/*.c; do
  $host-gcc-posix -O2 -std=gnu99 -fexceptions -msse2 -mfpmath=sse -Isrc -c "$source" -o "objects/$(basename "$source" .c).o"
done
$host-ar rcs "$prefix/lib/libgumbo.a" objects/*.o
cp src/gumbo.h src/tag_enum.h "$prefix/include/"
rm -rf "$work"
