#!/usr/bin/env bash
# Runs CMD against an X server of its own: Xvfb on a display it picks itself (no clash with
# another run), the xcb platform, and nothing else on that display, so its clipboard starts
# empty. Xvfb is taken down afterwards, also when CMD fails; it exits with CMD's status. When
# Xvfb is missing or does not start it says so and exits 77, which CTest reports as skipped.
#
# Usage: scripts/sandbox-x11.sh CMD [ARGS...]
set -uo pipefail

if [[ $# -eq 0 ]]; then
    echo "usage: $0 CMD [ARGS...]" >&2
    exit 2
fi

# Xvfb writes its display number once it accepts clients; it does so in well under a second.
start_limit_seconds=10

skip() {
    echo "$0: skipped: $1" >&2
    exit 77
}

command -v Xvfb >/dev/null 2>&1 || skip "Xvfb is not installed (scripts/setup.sh installs xvfb)"

folder=$(mktemp -d /tmp/quorvel-x11.XXXXXX)
xvfb_pid=""
stop_xvfb() {
    if [[ -n "$xvfb_pid" ]]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
        xvfb_pid=""
    fi
    rm -rf "$folder"
}
trap stop_xvfb EXIT
trap 'exit 143' TERM HUP
trap 'exit 130' INT

mkfifo "$folder/display"
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x800x24 3>"$folder/display" \
    >"$folder/xvfb.log" 2>&1 &
xvfb_pid=$!
display=""
read -r -t "$start_limit_seconds" display <"$folder/display"
if [[ -z "$display" ]]; then
    reason=$(tail -n 3 "$folder/xvfb.log" | tr '\n' ' ')
    skip "Xvfb did not start: ${reason:-no display within ${start_limit_seconds} s}"
fi

export DISPLAY=":$display"
export QT_QPA_PLATFORM=xcb
"$@"
status=$?
stop_xvfb
exit "$status"
