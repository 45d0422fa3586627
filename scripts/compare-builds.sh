#!/usr/bin/env bash
# Converts pictures in every format and resize method with the native and the Windows
# korvi-cli and checks that both print the same bytes: reductions, enlargements, odd factors,
# and a JPEG file that the native build makes of the landscape.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
native="$here/build/native/cli/korvi-cli"
windows="$here/build/windows/cli/korvi-cli.exe"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# A 100-pixel-wide picture, enlarged by 4.3 below, as a BMP file of its own.
"$native" -f bmp -m 2 -s 100 "$here/samples/landscape.bmp" | sed 's/^.*base64,//; s/">$//' | base64 -d >"$scratch/narrow.bmp"
"$native" -f jpeg -m 0 -q 90 "$here/samples/landscape.bmp" | sed 's/^.*base64,//; s/">$//' | base64 -d >"$scratch/landscape.jpg"

failures=0 checks=0
for sample in "$here"/samples/*.bmp "$here"/samples/*.gif "$here"/samples/*.png "$scratch/narrow.bmp" "$scratch/landscape.jpg"; do
  for format in jpeg gif bmp; do
    for size in "-m 0" "-m 1 -s 100" "-m 2 -s 430" "-m 2 -s 97" "-m 3 -s 333" "-m 3 -s 64"; do
      checks=$(( checks + 1 ))
      name="$(basename "$sample") -f $format $size"
      # shellcheck disable=SC2086
      "$native" -f "$format" $size "$sample" >"$scratch/native" 2>&1 || true
      # shellcheck disable=SC2086
      "$here/scripts/wine-run.sh" "$windows" -f "$format" $size "Z:${sample//\//\\}" >"$scratch/windows" 2>/dev/null || true
      if [ "$(head -c 10 "$scratch/native")" != "<img src=\"" ]; then
        echo "FAILED $name: native build printed no tag"; failures=$(( failures + 1 ))
      elif cmp -s "$scratch/native" "$scratch/windows"; then
        echo "same   $name ($(wc -c <"$scratch/native") bytes)"
      else
        echo "FAILED $name: the builds differ"; failures=$(( failures + 1 ))
      fi
    done
  done
done
echo "$(( checks - failures )) passed, $failures failed"
[ "$failures" -eq 0 ]
