#!/usr/bin/env bash
# Installs what the builds and tests need on Debian 12, as root. Idempotent: a machine that
# already has everything passes through in a few seconds.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

packages=(cmake g++ clang libclang-rt-14-dev clang-format make dpkg-dev
  g++-mingw-w64-i686-posix wine wine32:i386 xvfb xdotool xclip fonts-noto-cjk locales
  libpng-dev zlib1g-dev libstb-dev libgif-dev libbenchmark-dev)

need_i386() { ! dpkg --print-foreign-architectures | grep -qx i386; }
missing_packages() {
  local p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}

export DEBIAN_FRONTEND=noninteractive
updated=
if need_i386; then
  dpkg --add-architecture i386
  apt-get update -qq && updated=1
fi
missing=$(missing_packages)
if [ -n "$missing" ]; then
  [ -n "$updated" ] || apt-get update -qq
  # shellcheck disable=SC2086
  apt-get install -y -qq --no-install-recommends $missing >/dev/null
fi

if ! locale -a | grep -qix 'ja_JP.utf8'; then
  sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen
  locale-gen >/dev/null
fi

"$here/scripts/windows-deps.sh"
