#!/usr/bin/env bash
# Runs a Windows program under Wine the way the tests expect: Japanese locale (ANSI code page
# 932), a prefix of the build's own, and no Wine debug chatter.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
export WINEPREFIX=${WINEPREFIX:-$here/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
fi
exec wine "$@"
