#!/usr/bin/env bash
# Installs every build and test dependency from Debian packages. Idempotent: when everything is
# present it only checks and returns.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-websockets-dev qtkeychain-qt6-dev qcoro-qt6-dev
  libavahi-client-dev libglib2.0-dev libssl-dev libxcb1-dev
  avahi-daemon avahi-utils dbus dbus-daemon gnome-keyring libsecret-tools
  python3-dbusmock zsh procps iproute2 util-linux libnotify-bin systemd xvfb
  libglib2.0-bin openssl
  libbenchmark-dev clang-format dpkg-dev file
  breeze-icon-theme libqt6svg6
)
if [ "${QUORVEL_FUZZ:-}" = 1 ]; then
  packages+=(clang libclang-rt-dev)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
# No daemon may start in the machine's own namespace: avahi-daemon is for the test sandboxes only.
policy=/usr/sbin/policy-rc.d
created_policy=0
if [ ! -e "$policy" ]; then
  printf '#!/bin/sh\nexit 101\n' | "${sudo_cmd[@]}" tee "$policy" >/dev/null
  "${sudo_cmd[@]}" chmod +x "$policy"
  created_policy=1
fi
trap '[ "$created_policy" = 1 ] && "${sudo_cmd[@]}" rm -f "$policy"' EXIT
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
