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
  tb_stop_xvfb
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

timeout -k 5 "$limit" wine "$exe" --gtest_filter="$name" --gtest_color=no
rc=$?
# The test program's own exit code, kept for the report of a failure that
# printed nothing (a program that never started).
code=$rc
if [ $rc -eq 124 ] || [ $rc -eq 137 ]; then
  echo "testbed: $name did not end within $limit s" >&2
  rc=1
fi
t2=$(date +%s.%N)
# Screenshots taken as BMP by a program of the suite become PNG for viewing.
for bmp in "$artifacts"/*.bmp; do
  [ -e "$bmp" ] || continue
  convert "$bmp" "${bmp%.bmp}.png" 2>/dev/null && rm -f "$bmp"
done
rmdir "$artifacts" 2>/dev/null || true
exit $rc
