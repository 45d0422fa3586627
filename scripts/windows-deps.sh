#!/usr/bin/env bash
# Cross-builds zlib and libpng for the 32-bit Windows build from Debian's own source packages
# into a cached prefix; does nothing when the prefix is complete.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
prefix="$here/build/windows-deps"
[ -f "$prefix/lib/libpng.a" ] && [ -f "$prefix/lib/libz.a" ] && exit 0

src_list=/etc/apt/sources.list.d/korvi-src.sources
if [ ! -f "$src_list" ]; then
  cat >"$src_list" <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  apt-get update -qq
fi

work="$here/build/windows-deps-src"
rm -rf "$work" && mkdir -p "$work" "$prefix"
cd "$work"
apt-get source -qq zlib libpng1.6 >/dev/null 2>&1
host=i686-w64-mingw32

cd "$work"/zlib-*/
CHOST=$host CC=$host-gcc-posix AR=$host-ar RANLIB=$host-ranlib ./configure --static --prefix="$prefix" >/dev/null
make -s -j"$(nproc)" libz.a >/dev/null
make -s install >/dev/null 2>&1

cd "$work"/libpng1.6-*/
CC=$host-gcc-posix CPPFLAGS="-I$prefix/include" LDFLAGS="-L$prefix/lib" \
  ./configure --host=$host --enable-static --disable-shared --prefix="$prefix" >/dev/null
make -s -j"$(nproc)" >/dev/null
make -s install >/dev/null 2>&1
rm -rf "$work"
