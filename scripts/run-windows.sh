#!/usr/bin/env bash
# Builds korvi.exe and runs it under Wine, for trying the window on Linux.
#   run-windows.sh                     on your display; korvi.exe, its settings and work files live
#                                      in build/korvi-windows/
#   run-windows.sh --screenshot FILE   on a private Xvfb display with the bundled sample loaded, then
#                                      writes the main window to FILE as a PNG
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh" all
# The 64-bit build where this machine runs no 32-bit programs (scripts/windows-arch.sh).
config=windows
[ "$("$here/scripts/windows-arch.sh")" = i686 ] || config=windows64
"$here/scripts/build.sh" $config korvi-exe >"$here/build/build-korvi-exe.log" 2>&1 ||
  { tail -n 30 "$here/build/build-korvi-exe.log"; exit 1; }
exe="$here/build/$config/app/korvi.exe"

if [ "${1:-}" = --screenshot ]; then
  out=$(realpath -m "${2:?usage: run-windows.sh --screenshot FILE}")
  exec "$here/scripts/wine-suite.sh" /usr/bin/python3 "$here/scripts/screenshot.py" \
    "$exe" "$here/samples/landscape.bmp" "$here/build/screenshot" "$out"
fi

[ -n "${DISPLAY:-}" ] || { echo "run-windows.sh: no X display (DISPLAY is not set)" >&2; exit 1; }
folder="$here/build/korvi-windows"
mkdir -p "$folder"
cp "$exe" "$folder/korvi.exe"
cd "$folder"
WINEPREFIX="$here/build/wineprefix-run" exec "$here/scripts/wine-run.sh" "$folder/korvi.exe"
