#!/usr/bin/env bash
# Runs one e2e test in a fresh copy of the template prefix, with its own
# wineserver and Xvfb display, and exits with the test's verdict.
#
#   wine-test.sh <win64 build dir> <test program> <Suite.Case>
#
# The prefix copy (tb_make_prefix) links the template's Wine binaries and copies
# everything a run may write. Artifacts (screenshots)
# go to <build>/artifacts/<Suite.Case>/, beside the win64 tree.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"
win64=$(cd "$1" && pwd)
exe=$2
name=$3
template=${TB_TEMPLATE:-$(dirname "$win64")/prefix-template}
limit=${TB_TEST_TIMEOUT:-150}
t0=$(date +%s.%N)

if [ ! -f "$template/tb-stamp" ]; then
  echo "testbed: no template prefix at $template (make-template.sh makes it)" >&2
  exit 1
fi
if [ ! -f "$exe" ]; then
  echo "testbed: no test program $exe" >&2
  exit 1
fi

artifacts=${TB_ARTIFACT_ROOT:-$(dirname "$win64")/artifacts}/$name
rm -rf "$artifacts"
mkdir -p "$artifacts" "$(dirname "$template")/prefixes"
work=$(mktemp -d "$(dirname "$template")/prefixes/$name.XXXXXX")
export WINEPREFIX=$work/prefix
tb_session_tmp "$work"
rc=1
cleanup() {
  # Every process of this prefix, then its display and the copy itself.
  local t3
  t3=$(date +%s.%N)
  # A failed test whose display had gone: say so, with what Xvfb said.
  if [ "$rc" -ne 0 ] && [ -n "${TB_XVFB_PID:-}" ] && ! kill -0 "$TB_XVFB_PID" 2>/dev/null; then
    echo "testbed: $name: the display's Xvfb had ended before the test did" >&2
    tail -n 20 "$work/xvfb.log" >&2 2>/dev/null || true
  fi
  timeout 10 wineserver -k 2>/dev/null || true
  timeout 10 wineserver -w 2>/dev/null || true
  # Whatever of the session outlived its server (a server that did not end
  # in time, a Unix program a test started) ends before its files go.
  local left
  left=$(tb_session_pids | paste -sd' ')
  if [ -n "$left" ]; then
    echo "testbed: $name: ended what outlived the session's server: $(ps -o comm= -p "${left// /,}" | paste -sd' ')" >&2
    kill -9 $left 2>/dev/null || true
  fi
  tb_stop_xvfb
  if [ "$rc" -ne 0 ]; then
    echo "testbed: $name: load average at the end $(cut -d' ' -f1-3 /proc/loadavg)" >&2
  fi
  rm -rf "$work"
  awk -v a="$t0" -v b="${t1:-$t3}" -v c="${t2:-$t3}" -v d="$(date +%s.%N)" -v n="$name" -v r="$rc" \
      -v x="${code:-none}" \
    'BEGIN { printf "testbed: %s: %s in %.2f s (prefix and display %.2f s, test %.2f s, clean-up %.2f s)\n",
             n, r == 0 ? "passed" : "failed with exit code " x, d - a, b - a, c - b, d - c }'
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The display starts while the prefix is copied.
tb_start_xvfb_begin "$work"
tb_make_prefix "$template" "$WINEPREFIX" "$win64"

tb_start_xvfb_end "$work" || exit 1
export TB_STANDINS=$(tb_winpath "$win64/standins")
export TB_ARTIFACTS=$(tb_winpath "$artifacts")
t1=$(date +%s.%N)

# Shortly before a test is stopped for its time, what the session was doing:
# its processes, the state of their threads, and the windows on its display.
stall_report() {
  local pids
  pids=$(tb_session_pids | paste -sd,)
  echo "testbed: $name: the session $((limit - 3)) s after the test's start (load $(cut -d' ' -f1-3 /proc/loadavg)):"
  [ -n "$pids" ] && ps -L -o pid,tid,stat,etime,time,wchan:22,args -p "$pids" | cut -c1-160
  echo "testbed: $name: the windows of the display:"
  timeout 5 xwininfo -root -children 2>&1 | grep '^ *0x' | grep -v '(has no name)' | head -n 30
}
(
  trap 'kill "$sleeper" 2>/dev/null; exit 0' TERM
  sleep "$((limit - 3))" & sleeper=$!
  wait "$sleeper" && stall_report >"$work/stall" 2>&1
) &
watchdog=$!
timeout -k 5 "$limit" wine "$exe" --gtest_filter="$name" --gtest_color=no
rc=$?
kill "$watchdog" 2>/dev/null
wait "$watchdog" 2>/dev/null
# The test program's own exit code, kept for the report of a failure that
# printed nothing (a program that never started).
code=$rc
if [ $rc -eq 124 ] || [ $rc -eq 137 ]; then
  echo "testbed: $name did not end within $limit s" >&2
  cat "$work/stall" >&2 2>/dev/null
  rc=1
fi
t2=$(date +%s.%N)
# A program that ended within a second, before its test could print: what of
# the session's server had come up by then.
if [ "$rc" -ne 0 ] && awk -v a="$t1" -v b="$t2" 'BEGIN { exit !(b - a < 1) }'; then
  echo "testbed: $name: the test program ended at once; the prefix's server file: $(cat "$WINEPREFIX/wineserver" 2>&1)," \
       "the server folder: $(cd "$TMPDIR" 2>/dev/null && find . -mindepth 1 | sort | paste -sd' ')" >&2
fi
# Screenshots taken as BMP by a program of the suite become PNG for viewing.
for bmp in "$artifacts"/*.bmp; do
  [ -e "$bmp" ] || continue
  convert "$bmp" "${bmp%.bmp}.png" 2>/dev/null && rm -f "$bmp"
done
rmdir "$artifacts" 2>/dev/null || true
exit $rc
