#!/usr/bin/env bash
# Writes the test page of each sample, with its AVIF variants, and a page of 20 pictures rewritten
# by --inline, with the native and the Windows korvi-cli, checks that both builds write the same
# bytes, and opens the pages in Chromium on the X display of $DISPLAY (the Wine suite's).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
native="$here/build/native/cli/korvi-cli"
windows="${KORVI_WINDOWS_BUILD:-$here/build/windows}/cli/korvi-cli.exe"
check="$here/tests/browser/check_test_page.py"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

failures=0
run() {
  echo "--- $*"
  "$@" || failures=$(( failures + 1 ))
}
for sample in landscape tiles-8bit; do
  picture="$here/samples/$sample.bmp"
  "$native" -m 2 -s 430 --avif --test-page "$scratch/$sample.html" "$picture"
  "$here/scripts/wine-run.sh" "$windows" -m 2 -s 430 --avif --test-page "Z:${scratch//\//\\}\\$sample-windows.html" \
    "Z:${picture//\//\\}" >/dev/null 2>&1 || true
  run cmp "$scratch/$sample.html" "$scratch/$sample-windows.html"
done
run /usr/bin/python3 "$check" "$scratch"/landscape.html "$scratch"/tiles-8bit.html

site="$scratch/site"
/usr/bin/python3 "$here/tests/browser/make_picture_page.py" "$site" "$native"
"$native" --placeholder --inline "$site/index.html" -o "$site/inlined.html"
"$here/scripts/wine-run.sh" "$windows" --placeholder --inline "Z:${site//\//\\}\\index.html" \
  -o "Z:${site//\//\\}\\inlined-windows.html" >/dev/null 2>&1 || true
run cmp "$site/inlined.html" "$site/inlined-windows.html"
run /usr/bin/python3 "$here/tests/browser/check_inline_page.py" "$site/index.html" "$site/inlined.html"
[ "$failures" -eq 0 ] || { echo "the browser checks failed $failures check runs"; exit 1; }
