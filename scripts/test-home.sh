#!/usr/bin/env bash
# Runs CMD with a private, temporary HOME and XDG folders so that no test touches the real
# user's files, settings, keyring or autostart. The folder is removed afterwards.
set -euo pipefail
home=$(mktemp -d /tmp/quorvel-test-home.XXXXXX)
trap 'rm -rf "$home"' EXIT
export HOME="$home"
export XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share"
export XDG_CACHE_HOME="$home/.cache" XDG_STATE_HOME="$home/.local/state"
export XDG_RUNTIME_DIR="$home/runtime"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_STATE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset QUORVEL_TOKEN QUORVEL_DECK QUORVEL_LOGIN_AGENT XPC_SERVICE_NAME
"$@"
