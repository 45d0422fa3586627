#!/usr/bin/env bash
# Sets up what is missing, builds korvi-cli and prints the tag of a picture: the bundled
# sample when none is given. Options pass through: run.sh -f gif -s 200 picture.bmp
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh" native
"$here/scripts/build.sh" native korvi-cli >/dev/null

picture_given=
takes_value=
for argument in "$@"; do
  if [ -n "$takes_value" ]; then takes_value=; continue; fi
  case "$argument" in
    -m|-s|-f|-q|-b|-o|-j|--as|--alt|--max-bytes|--test-page|--hide) takes_value=1 ;;
    -h|--help|--version|-) picture_given=1 ;;
    -*) ;;
    *) picture_given=1 ;;
  esac
done
if [ -z "$picture_given" ]; then
  set -- "$@" "$here/samples/landscape.bmp"
fi
exec "$here/build/native/cli/korvi-cli" "$@"
