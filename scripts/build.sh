#!/usr/bin/env bash
# Configures (once) and builds one configuration, or only the named targets of it.
#   build.sh CONFIGURATION [TARGET...]
#   native    g++, optimised, with the benchmarks          -> build/native
#   sanitize  clang with ASan + UBSan, and the fuzz targets -> build/sanitize
#   windows   32-bit Windows with MinGW-w64, run under Wine -> build/windows
#   windows64 the same for 64-bit Windows, for Wine on a machine that runs no 32-bit Linux
#             programs                                      -> build/windows64
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
config=${1:?usage: build.sh native|sanitize|windows|windows64 [TARGET...]}
shift
dir="$here/build/$config"

case "$config" in
  native) options=(-DCMAKE_BUILD_TYPE=Release -DKORVI_BENCH=ON) ;;
  sanitize) options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
                     -DKORVI_SANITIZE=ON -DKORVI_FUZZ=ON) ;;
  windows) arch=i686 ;;
  windows64) arch=x86_64 ;;
  *) echo "unknown configuration: $config" >&2; exit 2 ;;
esac
# A tool the configuration needs, or which set-up installs it: require TOOL WHAT SCOPE.
require() {
  command -v "$1" >/dev/null && return 0
  echo "build.sh: the $config build needs $2 ($1); 'sudo scripts/setup.sh $3' installs it" >&2
  exit 1
}
require cmake CMake native
case "$config" in
  sanitize) require clang++ clang all ;;
  windows*) require "$arch-w64-mingw32-g++-posix" "the MinGW-w64 cross compiler" all
            options=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-$arch.cmake")
            "$here/scripts/windows-deps.sh" "$arch" ;;
esac
# Rebuilds of other checkouts reuse compiled objects where ccache is installed.
if command -v ccache >/dev/null; then
  options+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

cmake -S "$here" -B "$dir" "${options[@]}" >/dev/null
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build "$dir" -j"$(nproc)" "${targets[@]}"
