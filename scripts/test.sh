#!/usr/bin/env bash
# Installs what is missing, builds everything with the sanitizers and runs every test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/jobs.sh"
bash "$root/scripts/setup.sh"
build="$root/build/test"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUORVEL_SANITIZE=ON \
    -DQUORVEL_WERROR=ON -DBUILD_SHARED_LIBS=ON
# The same cap for the build and for the tests.
jobs=$(quorvel_jobs)
cmake --build "$build" --parallel "$jobs"
# Qt and GLib keep process-lifetime allocations that LeakSanitizer would report.
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd "$build"
ctest --output-on-failure --parallel "$jobs" "$@"
