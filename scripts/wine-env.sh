# shellcheck shell=bash
# Sourced by the Wine scripts (with $here set): the Japanese locale (ANSI code page 932) and, in
# KORVI_WINE, the Wine that runs this machine's Windows build. That is Debian's `wine`, except
# where the kernel runs no 32-bit programs: there `wine` would still pick its 32-bit loader, so
# the 64-bit one is named.
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
if [ -z "${KORVI_WINE:-}" ]; then
  if [ "$("$here/scripts/windows-arch.sh")" = i686 ]; then
    KORVI_WINE=wine
  else
    KORVI_WINE=/usr/lib/wine/wine64
    export WINELOADER=$KORVI_WINE
  fi
  export KORVI_WINE
fi
