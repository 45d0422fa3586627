# shellcheck shell=bash
# Sourced by the set-up scripts: apt-get that waits for the package manager instead of failing
# while another program (often a new machine's first automatic upgrade) holds its lock.
apt_get() {
  local deadline=$(( SECONDS + 900 )) output said=""
  while ! output=$(DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=30 "$@" 2>&1); do
    if grep -q -e 'Could not get lock' -e 'Unable to lock' <<<"$output" && [ $SECONDS -lt $deadline ]; then
      [ -n "$said" ] || echo "setup: another program is using the package manager; waiting for it ..." >&2
      said=1
      sleep 5
      continue
    fi
    printf '%s\n' "$output" >&2
    return 1
  done
}

require_root() {
  [ "$(id -u)" = 0 ] && return 0
  echo "setup: $1 needs root; run this command as root (or with sudo)." >&2
  exit 1
}
