#!/usr/bin/env bash
# Runs a Windows program under Wine the way the tests expect: Japanese locale (ANSI code page
# 932), a prefix of the build's own, and no Wine debug chatter.
#
# With KORVI_WINE_CRASH_LOG set (the test command sets it for the test programs), a run that Wine
# itself does not survive is run once more and listed in that file. A fault of the program ends in
# its exception code (access violation: status 5), never in a Linux signal; status 134, 135 or 139
# is Wine's own process dying by SIGABRT, SIGBUS or SIGSEGV.
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=scripts/wine-env.sh
. "$here/scripts/wine-env.sh"
export WINEPREFIX=${WINEPREFIX:-$here/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  "$KORVI_WINE" wineboot -i >/dev/null 2>&1
fi
[ -n "${KORVI_WINE_CRASH_LOG:-}" ] || exec "$KORVI_WINE" "$@"

"$KORVI_WINE" "$@"
status=$?
case $status in
  134 | 135 | 139)
    echo "wine-run.sh: Wine died by signal $((status - 128)); running it once more" >&2
    echo "Wine died by signal $((status - 128)) running: $*" >>"$KORVI_WINE_CRASH_LOG"
    "$KORVI_WINE" "$@"
    status=$?
    ;;
esac
exit $status
