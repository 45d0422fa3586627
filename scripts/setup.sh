#!/usr/bin/env bash
# Installs what the builds and tests need on Debian 12, as root. Idempotent: a machine that
# already has everything passes through in a second.
#   setup.sh native   what the native build and korvi-cli need
#   setup.sh all      also clang, the Windows cross compiler, Wine, Xvfb and the Windows libraries
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=scripts/apt.sh
. "$here/scripts/apt.sh"
scope=${1:-all}

packages=(cmake make g++ googletest libpng-dev zlib1g-dev libwebp-dev libaom-dev libavif-dev libcurl4-openssl-dev libstb-dev libgif-dev libbenchmark-dev)
if [ "$scope" = all ]; then
  packages+=(clang libclang-rt-14-dev clang-format dpkg-dev g++-mingw-w64-i686-posix wine
    nasm xvfb xdotool xclip fonts-noto-cjk locales chromium python3-websocket python3 openssl python3-xlib)
  # Wine and the X libraries of its display driver, of the architecture of the Windows build it
  # runs here.
  arch=$("$here/scripts/windows-arch.sh")
  wine_display=(libxfixes3 libxrender1 libxi6 libxrandr2 libxcursor1 libxinerama1 libxcomposite1 libxxf86vm1)
  if [ "$arch" = i686 ]; then
    wine_packages=(wine32 "${wine_display[@]}")
    packages+=("${wine_packages[@]/%/:i386}")
  else
    packages+=(g++-mingw-w64-x86-64-posix wine64 "${wine_display[@]}")
  fi
fi

missing_packages() {
  local p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}

missing=$(missing_packages)
if [ -n "$missing" ]; then
  require_root "installing ${missing//$'\n'/ }"
  if [ "$scope" = all ] && [ "$arch" = i686 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  apt_get update -qq
  # shellcheck disable=SC2086
  apt_get install -y -qq --no-install-recommends $missing
fi
[ "$scope" = all ] || exit 0

if ! locale -a | grep -qix 'ja_JP.utf8'; then
  require_root "generating the ja_JP.UTF-8 locale"
  sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen
  locale-gen >/dev/null
fi

"$here/scripts/windows-deps.sh" i686
[ "$arch" = i686 ] || "$here/scripts/windows-deps.sh" "$arch"
