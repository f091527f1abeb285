#!/usr/bin/env bash
# Installs what is missing (the same setup as the tests), builds the program for release and
# starts it from the build folder, passing every argument on:
#   scripts/run.sh [--show-onboarding] [--settings-tab=NAME] [--open-deck-editor] [quorvel://...]
# (--settings-tab= opens the settings; the name after it is not read. --help lists the options.)
# Started from there, it registers its desktop entry under ~/.local/share/applications so that
# links and start at login find it. Without a display it ends with one line saying so.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/jobs.sh"
bash "$root/scripts/setup.sh"
build="$root/build/release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORVEL_TESTS=OFF \
    -DQUORVEL_BENCH=OFF >/dev/null
cmake --build "$build" --parallel "$(quorvel_jobs)" --target quorvel quorvel-icons
exec "$build/src/Quorvel/quorvel" "$@"
