#!/usr/bin/env bash
# Sets up the machine, builds everything from scratch and runs every test (unit
# tests natively, end-to-end tests under Wine) with one ctest.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
bash "$root/scripts/setup.sh"
t0=$(date +%s.%N)
rm -rf "$build"
BUILD_DIR="$build" bash "$root/scripts/build.sh"
t1=$(date +%s.%N)
status=0
(cd "$build/native" && ctest -j "${JOBS:-$(nproc)}" --output-on-failure --timeout 300) || status=$?
t2=$(date +%s.%N)
awk -v a="$t0" -v b="$t1" -v c="$t2" 'BEGIN { printf "build from scratch: %.1f s\nctest: %.1f s\n", b - a, c - b }'
exit $status
