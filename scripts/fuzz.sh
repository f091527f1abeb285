#!/usr/bin/env bash
# Builds one libFuzzer harness with clang and runs it for a while on a scratch copy of its seed
# corpus. Exits non-zero on any crash, leak or sanitizer report; the input that caused it is kept
# under build/fuzz/artifacts/NAME/.
# Usage: scripts/fuzz.sh NAME SECONDS   (NAME as in fuzz/CMakeLists.txt: message, deck, catalog,
# host_dispatch, knobwire_line, knobwire_announcement). CMAKE_BUILD_PARALLEL_LEVEL (or QUORVEL_JOBS)
# caps the build's parallelism.
set -euo pipefail

if [ "$#" -ne 2 ]; then
  echo "usage: $0 NAME SECONDS" >&2
  exit 2
fi
name=$1
seconds=$2
root=$(cd "$(dirname "$0")/.." && pwd)
seeds="$root/fuzz/corpus/$name"
if [ ! -d "$seeds" ]; then
  echo "no seed corpus at $seeds" >&2
  exit 2
fi

QUORVEL_FUZZ=1 bash "$root/scripts/setup.sh"
build="$root/build/fuzz"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUORVEL_FUZZ=ON -DQUORVEL_TESTS=OFF -DQUORVEL_BENCH=OFF
source "$root/scripts/jobs.sh"
cmake --build "$build" --parallel "$(quorvel_jobs)" --target "fuzz_$name"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp -R "$seeds" "$scratch/corpus"
artifacts="$build/artifacts/$name"
mkdir -p "$artifacts"

# Any sanitizer report ends the run with a failure instead of letting it carry on.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
"$build/fuzz/fuzz_$name" -max_total_time="$seconds" -print_final_stats=1 \
  -artifact_prefix="$artifacts/" "$scratch/corpus"
