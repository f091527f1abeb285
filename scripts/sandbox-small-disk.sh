#!/usr/bin/env bash
# Runs CMD with HOME and the XDG folders on a small tmpfs of its own, mounted in a private mount
# namespace, so that a test can fill the disk (and empty it again) without touching any other
# file system; TMPDIR is on it too, so that a test's temporary folders fill with it.
# QUORVEL_SMALL_DISK names the mount point. Needs root, or user namespaces for a
# normal user; without either it runs nothing, says so and exits with 77, which CTest counts as a
# skipped test. Exits with CMD's status.
set -euo pipefail

if [ "$#" -eq 0 ]; then
  echo "usage: $0 CMD..." >&2
  exit 2
fi

if [ "${QUORVEL_SMALL_DISK_SANDBOX:-}" != 1 ]; then
  namespace=(unshare --mount --propagation private)
  if [ "$(id -u)" -ne 0 ]; then
    namespace=(unshare --user --map-root-user --mount --propagation private)
  fi
  if ! "${namespace[@]}" true 2>/dev/null; then
    echo "sandbox-small-disk.sh: skipped: no mount namespace (needs root or user namespaces)"
    exit 77
  fi
  exec env QUORVEL_SMALL_DISK_SANDBOX=1 "${namespace[@]}" "$0" "$@"
fi

# From here on: inside the namespace. HOME is the test's private folder (scripts/test-home.sh).
disk=${HOME:?}
mount -t tmpfs -o size=1m,mode=0700 quorvel-small-disk "$disk"
export QUORVEL_SMALL_DISK="$disk" TMPDIR="$disk/tmp"
mkdir -p "$TMPDIR" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_STATE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
"$@"
