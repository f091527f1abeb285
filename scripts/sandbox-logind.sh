#!/usr/bin/env bash
# Runs CMD with a mock systemd-logind (python3-dbusmock's logind template) on a private system
# bus of its own, so that keep-awake tests can take and release inhibitor locks without touching
# the machine's logind. DBUS_SYSTEM_BUS_ADDRESS points CMD at the private bus. Everything it
# started is taken down afterwards, also when CMD fails; it exits with CMD's status.
#
# Usage: scripts/sandbox-logind.sh CMD [ARGS...]
set -uo pipefail

if [[ $# -eq 0 ]]; then
    echo "usage: $0 CMD [ARGS...]" >&2
    exit 2
fi

# Debian's python, which carries python3-dbusmock; the PATH's python3 may be another one.
python=/usr/bin/python3
# Tenths of a second to wait for the bus and the mock to come up.
startup_polls=100

dir=$(mktemp -d /tmp/quorvel-logind.XXXXXX)
bus_pid=""
mock_pid=""
cleanup() {
    for pid in $mock_pid $bus_pid; do
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 143' TERM HUP
trap 'exit 130' INT

cat >"$dir/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=$dir/system_bus_socket</listen>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF

dbus-daemon --nofork --config-file="$dir/bus.conf" --print-address=1 >"$dir/address" 2>"$dir/bus.log" &
bus_pid=$!
for _ in $(seq "$startup_polls"); do
    [[ -s "$dir/address" ]] && break
    sleep 0.1
done
address=$(head -n 1 "$dir/address")
if [[ -z "$address" ]]; then
    echo "$0: the private system bus did not start" >&2
    cat "$dir/bus.log" >&2
    exit 1
fi
export DBUS_SYSTEM_BUS_ADDRESS="$address"

"$python" -m dbusmock --system --template logind >"$dir/mock.log" 2>&1 &
mock_pid=$!
ready=""
for _ in $(seq "$startup_polls"); do
    if gdbus call --system --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.NameHasOwner org.freedesktop.login1 2>/dev/null |
        grep -q true; then
        ready=1
        break
    fi
    sleep 0.1
done
if [[ -z "$ready" ]]; then
    echo "$0: the mock logind did not appear on the private bus" >&2
    cat "$dir/mock.log" >&2
    exit 1
fi

"$@"
status=$?
exit "$status"
