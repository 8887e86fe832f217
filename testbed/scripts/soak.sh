#!/usr/bin/env bash
# Runs the whole suite of a built tree N times, with no second run of a failed
# test, to count how often the test bed itself fails a test. Builds nothing.
#
#   soak.sh <build/native dir> <runs> <output dir> [jobs]
#
# <output dir>/run-<i>/ keeps ctest's log, the load at the run's start, every
# test's output, and one file per failed test with that test's output. The summary (also written to
# <output dir>/summary.txt) lists per run the load and the failed tests, then
# the number of failures per test.
set -uo pipefail
native=$(cd "$1" && pwd)
runs=$2
out=$(mkdir -p "$3" && cd "$3" && pwd)
jobs=${4:-$(nproc)}

summary() {
  local i r
  for i in $(seq 1 "$runs"); do
    r=$out/run-$i
    [ -f "$r/load" ] || continue
    printf 'run %2d  load %s  ' "$i" "$(cat "$r/load")"
    if [ ! -f "$r/ctest.log" ] || ! grep -q '^Total Test time' "$r/ctest.log"; then
      echo "(not finished)"
    elif [ -s "$r/failed" ]; then
      echo "failed: $(tr '\n' ' ' <"$r/failed")"
    else
      echo "no failure"
    fi
    grep -h '^Total Test time' "$r/ctest.log" 2>/dev/null | sed 's/^/        /'
  done
  echo "failures per test:"
  cat "$out"/run-*/failed 2>/dev/null | sort | uniq -c | sort -rn
}

for i in $(seq 1 "$runs"); do
  r=$out/run-$i
  rm -rf "$r"
  mkdir -p "$r"
  uptime | sed 's/.*load average: //' >"$r/load"
  (cd "$native" && ctest -j "$jobs" --output-on-failure --timeout 300) >"$r/ctest.log" 2>&1
  # Every test's output, the passed ones' too (what the test bed said it mended).
  cp "$native/Testing/Temporary/LastTest.log" "$r/all-output.log" 2>/dev/null
  grep -oE 'Test +#[0-9]+: [^ ]+ [.]+\*\*\*(Failed|Timeout|Exception)' "$r/ctest.log" |
    awk '{print $3}' | sort -u >"$r/failed"
  # A failed test's output runs from its result line to the next line ctest
  # prints of its own (a start, a result, or the closing tally).
  while read -r t; do
    awk -v t="$t" '
      index($0, " " t " ") && /\*\*\*/ { on = 1; print; next }
      on && (/^ +Start +[0-9]+: / || /^ *[0-9]+\/[0-9]+ Test +#/ || /^[0-9]+% tests passed/) { on = 0 }
      on { print }' "$r/ctest.log" >"$r/$t.out"
  done <"$r/failed"
  summary >"$out/summary.txt"
done
cat "$out/summary.txt"
