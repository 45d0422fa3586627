#!/usr/bin/env bash
# Converts pictures in every format and resize method with the native and the Windows
# korvi-cli and checks that both print the same bytes: reductions, enlargements, odd factors,
# a JPEG, a WebP and an AVIF file that the native build makes of the landscape, -f auto's choice
# (also with --avif), PNG files of every colour type with and without a gamma, read as they are,
# and --inline's rewrite of a page of 20 pictures.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
native="$here/build/native/cli/korvi-cli"
windows="${KORVI_WINDOWS_BUILD:-$here/build/windows}/cli/korvi-cli.exe"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# A 100-pixel-wide picture, enlarged by 4.3 below, as a BMP file of its own.
"$native" -f bmp -m 2 -s 100 "$here/samples/landscape.bmp" | sed 's/^.*base64,//; s/">$//' | base64 -d >"$scratch/narrow.bmp"
"$native" -f jpeg -m 0 -q 90 "$here/samples/landscape.bmp" | sed 's/^.*base64,//; s/">$//' | base64 -d >"$scratch/landscape.jpg"
"$native" -f webp -m 0 -q 90 "$here/samples/landscape.bmp" | sed 's/^.*base64,//; s/">$//' | base64 -d >"$scratch/landscape.webp"
"$native" -f avif -m 0 -q 90 "$here/samples/landscape.bmp" | sed 's/^.*base64,//; s/">$//' | base64 -d >"$scratch/landscape.avif"

failures=0 checks=0
# compare PICTURE OPTION...: both builds convert the picture alike.
compare() {
  local sample=$1 name
  shift
  checks=$(( checks + 1 ))
  name="$(basename "$sample") $*"
  "$native" "$@" "$sample" >"$scratch/native" 2>/dev/null || true
  "$here/scripts/wine-run.sh" "$windows" "$@" "Z:${sample//\//\\}" >"$scratch/windows" 2>/dev/null || true
  if [ "$(head -c 10 "$scratch/native")" != "<img src=\"" ]; then
    echo "FAILED $name: native build printed no tag"; failures=$(( failures + 1 ))
  elif cmp -s "$scratch/native" "$scratch/windows"; then
    echo "same   $name ($(wc -c <"$scratch/native") bytes)"
  else
    echo "FAILED $name: the builds differ"; failures=$(( failures + 1 ))
  fi
}
for sample in "$here"/samples/*.bmp "$here"/samples/*.gif "$here"/samples/*.png "$scratch/narrow.bmp" "$scratch/landscape.jpg" "$scratch/landscape.webp" "$scratch/landscape.avif"; do
  for format in jpeg gif bmp png webp "webp --lossless" avif "avif --lossless" auto "auto --avif"; do
    for size in "-m 0" "-m 1 -s 100" "-m 2 -s 430" "-m 2 -s 97" "-m 3 -s 333" "-m 3 -s 64"; do
      # PNG, WebP and -f auto (korvi-cli's own) at two sizes: their pixels come from the same resampling.
      case "$format $size" in [pwa]*\ -m\ [12]*|[pwa]*\ -m\ 3\ -s\ 333) continue ;; esac
      # shellcheck disable=SC2086
      compare "$sample" -f $format $size
    done
  done
done
mkdir "$scratch/png"
python3 "$here/scripts/png-inputs.py" "$scratch/png"
for sample in "$scratch"/png/*.png; do compare "$sample" -m 0 -f bmp; done
# Several pictures in one run, on threads, in another form: the same lines, LF-ended.
checks=$(( checks + 1 ))
pictures=("$here"/samples/*.bmp "$here"/samples/*.gif "$here"/samples/*.png)
windowsPictures=()
for sample in "${pictures[@]}"; do windowsPictures+=("Z:${sample//\//\\}"); done
"$native" -j 3 --as md --alt "a [b]" -m 3 -s 64 "${pictures[@]}" >"$scratch/native" 2>/dev/null || true
"$here/scripts/wine-run.sh" "$windows" -j 3 --as md --alt "a [b]" -m 3 -s 64 "${windowsPictures[@]}" >"$scratch/windows" 2>/dev/null || true
if [ "$(grep -c '^!\[a \\\[b\\\]\](data:image/jpeg;base64,' "$scratch/native")" -ne "${#pictures[@]}" ]; then
  echo "FAILED several pictures -j 3 --as md: native build printed $(wc -l <"$scratch/native") lines"; failures=$(( failures + 1 ))
elif cmp -s "$scratch/native" "$scratch/windows"; then
  echo "same   several pictures -j 3 --as md ($(wc -l <"$scratch/native") lines)"
else
  echo "FAILED several pictures -j 3 --as md: the builds differ"; failures=$(( failures + 1 ))
fi
# --inline over the page of 20 pictures that the browser check opens: the same rewritten page.
checks=$(( checks + 1 ))
python3 "$here/tests/browser/make_picture_page.py" "$scratch/site" "$native" >/dev/null
"$native" --inline "$scratch/site/index.html" -o "$scratch/native.html" 2>/dev/null || true
"$here/scripts/wine-run.sh" "$windows" --inline "Z:${scratch//\//\\}\\site\\index.html" -o "Z:${scratch//\//\\}\\windows.html" 2>/dev/null || true
if ! grep -q 'src="data:image/' "$scratch/native.html" 2>/dev/null; then
  echo "FAILED --inline: native build inlined nothing"; failures=$(( failures + 1 ))
elif cmp -s "$scratch/native.html" "$scratch/windows.html"; then
  echo "same   --inline a page of 20 pictures ($(wc -c <"$scratch/native.html") bytes)"
else
  echo "FAILED --inline a page of 20 pictures: the builds differ"; failures=$(( failures + 1 ))
fi
echo "$(( checks - failures )) passed, $failures failed"
[ "$failures" -eq 0 ]
