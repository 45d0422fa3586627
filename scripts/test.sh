#!/usr/bin/env bash
# Sets up what is missing and runs every suite: native, ASan + UBSan, fuzz smoke, Windows under
# Wine, and the comparison of the two builds' output.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

# Each section says when it starts, in minutes and seconds from the start of the run.
start=$SECONDS
section() { printf '\n=== %s (at %d:%02d) ===\n' "$*" $(( (SECONDS - start) / 60 )) $(( (SECONDS - start) % 60 )); }

section "set-up"
"$here/scripts/setup.sh" all

# The Windows build the Wine suite runs: the product's 32-bit one, or where this machine runs no
# 32-bit programs (nor so Wine any 32-bit Windows program) the same sources built for 64-bit; then
# of the 32-bit build only the programs are built. Each build: configuration [targets].
if [ "$("$here/scripts/windows-arch.sh")" = i686 ]; then
  tested=windows builds=(native sanitize windows)
else
  tested=windows64 builds=(native sanitize "windows korvi-exe korvi-cli" windows64)
fi
for build in "${builds[@]}"; do
  read -ra words <<<"$build"
  config=${words[0]}
  section "build: $config"
  log="$here/build/build-$config.log"
  mkdir -p "$here/build"
  if ! "$here/scripts/build.sh" "${words[@]}" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "the $config build failed; the whole log is $log"
    exit 1
  fi
  echo "built (log: build/build-$config.log)"
done

section "native: unit and end-to-end tests"
ctest --test-dir "$here/build/native" -L 'unit|e2e' -j"$(nproc)" --output-on-failure

section "sanitize: unit and end-to-end tests under ASan + UBSan"
ctest --test-dir "$here/build/sanitize" -L 'unit|e2e' -j"$(nproc)" --output-on-failure

section "sanitize: fuzz smoke"
ctest --test-dir "$here/build/sanitize" -L fuzz -j"$(nproc)" --output-on-failure

build="$here/build/$tested"
flaky="$build/flaky-cases.log"
rm -f "$flaky"
section "$tested: every test under Wine, the download suite against korvi-cli.exe, both builds' output compared, the test page in Chromium"
[ "$tested" = windows ] ||
  echo "this machine runs no 32-bit programs: Wine runs the 64-bit Windows build; the 32-bit one was only built"
KORVI_WINDOWS_BUILD=$build "$here/scripts/wine-suite.sh" bash -c "set -e
  KORVI_WINE_CRASH_LOG='$flaky' ctest --test-dir '$build' -L wine --output-on-failure
  '$here/build/native/tests/web/download_tests'
  '$here/scripts/compare-builds.sh'
  '$here/scripts/browser-check.sh'"
if [ -s "$flaky" ]; then
  section "flaky cases under Wine (failed once, passed when run again): a fault to fix"
  cat "$flaky"
fi
section "all suites passed"
