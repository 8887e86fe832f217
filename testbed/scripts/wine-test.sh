#!/usr/bin/env bash
# Runs one e2e test in a fresh copy of the template prefix, with its own
# wineserver and Xvfb display, and exits with the test's verdict.
#
#   wine-test.sh <win64 build dir> <test program> <Suite.Case>
#
# The prefix copy links the template's Wine binaries (read-only to every test)
# and copies everything a run may write: registry, ini and inf files, and any
# system file the build puts in place of one of Wine's. Artifacts (screenshots)
# go to ./artifacts/<Suite.Case>/ (ctest runs in the native build tree).
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

artifacts=$PWD/artifacts/$name
rm -rf "$artifacts"
mkdir -p "$artifacts" "$(dirname "$template")/prefixes"
work=$(mktemp -d "$(dirname "$template")/prefixes/$name.XXXXXX")
export WINEPREFIX=$work/prefix
cleanup() {
  # Every process of this prefix, then its display and the copy itself.
  timeout 10 wineserver -k 2>/dev/null || true
  timeout 10 wineserver -w 2>/dev/null || true
  tb_stop_xvfb
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Link everything, then turn what a run may write into real copies.
cp -al "$template" "$WINEPREFIX"
(cd "$template" && find . -type f ! -iregex "$TB_LINKED_FILES" -print0) |
  (cd "$template" && xargs -0 -r cp --parents --remove-destination -p -t "$WINEPREFIX")
sys32=$WINEPREFIX/drive_c/windows/system32
if [ -d "$win64/system32" ]; then
  cp -r --remove-destination "$win64/system32/." "$sys32/"
fi
# A stand-in a test installs over one of Wine's libraries must not write
# through the link into the template.
if [ -d "$win64/standins" ]; then
  for f in "$win64/standins"/*; do
    [ -e "$f" ] || continue
    b=$(basename "$f")
    [ -e "$sys32/$b" ] && cp --remove-destination "$sys32/$b" "$sys32/$b.tbcopy" && mv -f "$sys32/$b.tbcopy" "$sys32/$b"
  done
fi
if [ -f "$win64/driver/wexant.sys" ]; then
  cp --remove-destination "$win64/driver/wexant.sys" "$sys32/drivers/wexant.sys"
fi

tb_start_xvfb "$work" || exit 1
export TB_STANDINS=$(tb_winpath "$win64/standins")
export TB_ARTIFACTS=$(tb_winpath "$artifacts")
t1=$(date +%s.%N)

timeout -k 5 "$limit" wine "$exe" --gtest_filter="$name" --gtest_color=no
rc=$?
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
awk -v a="$t0" -v b="$t1" -v c="$t2" -v n="$name" \
  'BEGIN { printf "testbed: %s: prefix and display %.2f s, test %.2f s\n", n, b - a, c - b }'
exit $rc
