#!/usr/bin/env bash
# Runs CMD inside a private network namespace that has only loopback (multicast on), with a
# system D-Bus and an avahi-daemon of its own, then takes them down, also when CMD fails. Exits
# with CMD's status. Needs root (CI runs as root); as a normal user it runs nothing, says so and
# exits with 77, which CTest counts as a skipped test. Nothing of it touches the machine's own
# network, D-Bus or avahi-daemon: /run is a private tmpfs inside the sandbox.
#
# Inside, tests find the daemon's configuration in QUORVEL_AVAHI_CONFIG, so that they can stop it
# (`avahi-daemon -k`) and start it again (`avahi-daemon -D --no-drop-root --no-chroot -f
# "$QUORVEL_AVAHI_CONFIG"`) in the same namespace; the same holds for the system bus
# (/run/dbus/pid, `dbus-daemon --system --fork`).
set -euo pipefail

if [ "$#" -eq 0 ]; then
  echo "usage: $0 CMD..." >&2
  exit 2
fi

if [ "${QUORVEL_MDNS_SANDBOX:-}" != 1 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "sandbox-mdns.sh: skipped: needs root for its network namespace (CI runs as root)"
    exit 77
  fi
  # A private PID namespace as well: whatever is left inside dies with it, even when this
  # script is killed (--kill-child).
  exec env QUORVEL_MDNS_SANDBOX=1 unshare --net --mount --pid --fork --kill-child --mount-proc \
    --propagation private "$0" "$@"
fi

# From here on: inside the namespaces.
dbus_pid=""
avahi_pid=""
pidfile_avahi=/run/avahi-daemon/pid
pidfile_dbus=/run/dbus/pid

stop_pid() {
  local pid=$1
  [ -n "$pid" ] || return 0
  kill "$pid" 2>/dev/null || return 0
  for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || return 0
    sleep 0.1
  done
  kill -KILL "$pid" 2>/dev/null || true
}

cleanup() {
  # Tests may have restarted the daemons: their current pids are in the pid files.
  if [ -s "$pidfile_avahi" ]; then
    stop_pid "$(cat "$pidfile_avahi")"
  fi
  stop_pid "$avahi_pid"
  if [ -s "$pidfile_dbus" ]; then
    stop_pid "$(cat "$pidfile_dbus")"
  fi
  stop_pid "$dbus_pid"
}
trap cleanup EXIT

ip link set lo up
ip link set lo multicast on
mount -t tmpfs -o mode=0755 quorvel-sandbox-run /run

mkdir -p /run/dbus /run/avahi-daemon /run/quorvel-mdns
dbus-daemon --system --fork
dbus_pid=$(cat "$pidfile_dbus")

export QUORVEL_AVAHI_CONFIG=/run/quorvel-mdns/avahi-daemon.conf
cat >"$QUORVEL_AVAHI_CONFIG" <<'CONF'
[server]
host-name=quorvel-sandbox
use-ipv4=yes
use-ipv6=yes
allow-interfaces=lo
enable-dbus=yes
ratelimit-interval-usec=0

[wide-area]
enable-wide-area=no

[publish]
publish-addresses=yes
publish-hinfo=no
publish-workstation=no
publish-domain=no
publish-aaaa-on-ipv4=no
publish-a-on-ipv6=no

[reflector]
enable-reflector=no

[rlimits]
CONF

avahi-daemon -D --no-drop-root --no-chroot -f "$QUORVEL_AVAHI_CONFIG"
avahi_pid=$(cat "$pidfile_avahi")
# The daemon answers once it has registered on the bus; give it up to ten seconds.
for _ in $(seq 100); do
  avahi-daemon -c 2>/dev/null && break
  sleep 0.1
done

status=0
"$@" || status=$?
exit "$status"
