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
# A test that fails is run once more: the end-to-end tests drive whole Wine
# sessions, eight at a time, and a session can stall now and then on a loaded
# machine. A fault fails both runs; a test that passed only the second time is
# named below, so that a race is seen, not hidden.
log=$build/ctest.log
(cd "$build/native" && ctest -j "${JOBS:-$(nproc)}" --output-on-failure --timeout 300 --repeat until-pass:2) \
  2>&1 | tee "$log" || status=$?
t2=$(date +%s.%N)
retried=$(grep -oE 'Test +#[0-9]+: [^ ]+ [.]+\*\*\*(Failed|Timeout|Exception)' "$log" | awk '{print $3}' | sort -u || true)
for t in $retried; do
  if ! sed -n '/^The following tests FAILED:/,$p' "$log" | grep -qF " $t ("; then
    echo "passed only on a second run: $t"
  fi
done
awk -v a="$t0" -v b="$t1" -v c="$t2" 'BEGIN { printf "build from scratch: %.1f s\nctest: %.1f s\n", b - a, c - b }'
exit $status
