#!/usr/bin/env bash
# Prints the Windows build Wine runs on this machine: i686 (the product's own) where the kernel
# runs 32-bit Linux programs, as Wine needs for 32-bit Windows programs, or x86_64 where it does not.
# The probe is the smallest 32-bit Linux program: it only exits.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
# In the build folder, where programs run anyway (a temporary folder may forbid it).
mkdir -p "$here/build"
probe=$(mktemp -p "$here/build" ia32-probe.XXXXXX)
trap 'rm -f "$probe"' EXIT
{
  # ELF header: 32-bit, little-endian, executable for the 80386, entry at 0x08048054, one program header.
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00'
  printf '\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00'
  # Program header: the whole 93-byte file loaded at 0x08048000, readable and executable.
  printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00'
  printf '\x05\x00\x00\x00\x00\x10\x00\x00'
  # mov eax, 1; xor ebx, ebx; int 0x80: exit(0).
  printf '\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80'
} >"$probe"
chmod +x "$probe"
if "$probe" 2>/dev/null; then echo i686; else echo x86_64; fi
