#!/usr/bin/env bash
# Runs CMD on a private D-Bus session bus with a private HOME and XDG folders and an unlocked
# gnome-keyring serving the Secret Service, so that keychain tests never touch the user's
# keyring. Everything it started is taken down afterwards, also when CMD fails; it exits with
# CMD's status.
#
# Usage: scripts/sandbox-dbus.sh CMD [ARGS...]
set -uo pipefail

if [[ $# -eq 0 ]]; then
    echo "usage: $0 CMD [ARGS...]" >&2
    exit 2
fi

if [[ "${1:-}" != "--inside-bus" ]]; then
    home=$(mktemp -d /tmp/quorvel-dbus-home.XXXXXX)
    trap 'rm -rf "$home"' EXIT
    # A time-out or ^C still removes the folder: turn the signal into an ordinary exit.
    trap 'exit 143' TERM HUP
    trap 'exit 130' INT
    export HOME="$home"
    export XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share"
    export XDG_CACHE_HOME="$home/.cache" XDG_STATE_HOME="$home/.local/state"
    export XDG_RUNTIME_DIR="$home/runtime"
    mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_STATE_HOME" "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    # Not exec: the trap above must still remove the folder once the bus has gone.
    dbus-run-session -- "$(readlink -f "$0")" --inside-bus "$@"
    exit $?
fi
shift

keyring_pid=""
stop_keyring() {
    if [[ -n "$keyring_pid" ]]; then
        kill "$keyring_pid" 2>/dev/null
        # The daemon is not our child, so wait for it by polling its pid (bounded).
        for _ in $(seq 50); do
            kill -0 "$keyring_pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -9 "$keyring_pid" 2>/dev/null
        keyring_pid=""
    fi
}
trap stop_keyring EXIT
trap 'exit 143' TERM HUP
trap 'exit 130' INT

# An empty password creates and unlocks the login keyring in the private XDG_DATA_HOME.
if ! output=$(printf '\n' | gnome-keyring-daemon --daemonize --unlock --components=secrets); then
    echo "$0: gnome-keyring-daemon failed to start" >&2
    exit 1
fi
while IFS= read -r line; do
    [[ "$line" =~ ^[A-Za-z_][A-Za-z0-9_]*= ]] && export "${line?}"
done <<<"$output"

# Ask the bus which process owns the Secret Service: that is the daemon we just started. The
# daemon claims the name shortly after it has forked, so poll for it (at most five seconds).
for _ in $(seq 50); do
    owner=$(gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.GetConnectionUnixProcessID org.freedesktop.secrets 2>/dev/null)
    if [[ "$owner" =~ \(uint32\ ([0-9]+),\) ]]; then
        keyring_pid="${BASH_REMATCH[1]}"
        break
    fi
    sleep 0.1
done
if [[ -z "$keyring_pid" ]]; then
    echo "$0: the Secret Service did not appear on the private bus" >&2
    exit 1
fi

"$@"
status=$?
stop_keyring
exit "$status"
