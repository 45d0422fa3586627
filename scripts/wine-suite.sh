#!/usr/bin/env bash
# Runs a command with a display and a Wine prefix of its own: a private Xvfb display, a fresh
# prefix under the build folder and a persistent wineserver for the command's lifetime.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=scripts/wine-env.sh
. "$here/scripts/wine-env.sh"
export WINEDEBUG=-all
export WINEPREFIX="$here/build/wineprefix"

display=$(( 90 + RANDOM % 400 ))
while [ -e "/tmp/.X11-unix/X$display" ]; do display=$(( display + 1 )); done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=":$display"

cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT

deadline=$(( SECONDS + 20 ))
until [ -e "/tmp/.X11-unix/X$display" ]; do
  [ $SECONDS -lt $deadline ] || { echo "Xvfb did not start" >&2; exit 1; }
  sleep 0.1
done

rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
wineserver -p
"$KORVI_WINE" wineboot -i >/dev/null 2>&1
"$@"
