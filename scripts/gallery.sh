#!/usr/bin/env bash
# Draws every view in each of its main states to OUT_DIR/<view>-<state>.png, under the offscreen
# platform, from real models and a real host in the gallery's own process. Two runs: one without
# a discovery service (a private network namespace with no avahi-daemon), one inside the mDNS
# sandbox; both with a private keyring (scripts/sandbox-dbus.sh). Fails when a page fails or a
# file is missing. Needs root for the namespaces (as CI runs).
#
# Usage: scripts/gallery.sh OUT_DIR
# QUORVEL_GALLERY may name an already built quorvel-gallery; otherwise it is built (Release).
set -euo pipefail

if [ "${1:-}" = "--inside-private-network" ]; then
  # No daemon of the machine is reachable here: loopback only, and a /run of our own.
  shift
  ip link set lo up
  mount -t tmpfs -o mode=0755 quorvel-gallery-run /run
  exec "$@"
fi

if [ "$#" -ne 1 ]; then
  echo "usage: $0 OUT_DIR" >&2
  exit 2
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "gallery.sh: needs root for its network namespaces" >&2
  exit 1
fi

root=$(cd "$(dirname "$0")/.." && pwd)
self="$root/scripts/gallery.sh"
mkdir -p "$1"
out=$(cd "$1" && pwd)

gallery=${QUORVEL_GALLERY:-}
if [ -z "$gallery" ]; then
  bash "$root/scripts/setup.sh"
  build="$root/build/gallery"
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORVEL_TESTS=OFF \
    -DQUORVEL_BENCH=OFF >/dev/null
  source "$root/scripts/jobs.sh"
  cmake --build "$build" --parallel "$(quorvel_jobs)" --target quorvel-gallery
  gallery="$build/src/Gallery/quorvel-gallery"
fi

export QT_QPA_PLATFORM=offscreen
unset QUORVEL_TOKEN QUORVEL_DECK QUORVEL_LOGIN_AGENT XPC_SERVICE_NAME
# A picture left from an earlier run must not pass for one drawn now.
while IFS= read -r file; do
  rm -f "$out/$file"
done < <("$gallery" --list)
status=0
unshare --net --mount --fork --propagation private "$self" --inside-private-network \
  "$root/scripts/sandbox-dbus.sh" "$gallery" "$out" || status=1
"$root/scripts/sandbox-mdns.sh" "$root/scripts/sandbox-dbus.sh" "$gallery" --with-discovery \
  "$out" || status=1

while IFS= read -r file; do
  if [ ! -s "$out/$file" ]; then
    echo "gallery.sh: $file was not written" >&2
    status=1
  fi
done < <("$gallery" --list)
exit "$status"
