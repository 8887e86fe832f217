#!/usr/bin/env bash
# Checks a test session as wine-test.sh makes it: its Wine server folder lies in
# its own work folder (the template and the copy carry none), and a session
# whose boot lost its service manager still gives its test a running driver.
#
#   session-test.sh <win64 build dir>
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"
win64=$(cd "$1" && pwd)
template=${TB_TEMPLATE:-$(dirname "$win64")/prefix-template}
mkdir -p "$(dirname "$template")/prefixes"
work=$(mktemp -d "$(dirname "$template")/prefixes/session-test.XXXXXX")
export WINEPREFIX=$work/prefix
tb_session_tmp "$work"
failed=0
fail() { echo "session-test: $*" >&2; failed=1; }
cleanup() {
  timeout 10 wineserver -k 2>/dev/null || true
  tb_stop_xvfb
  rm -rf "$work"
}
trap cleanup EXIT

[ -e "$template/wineserver" ] && fail "the template names a server folder: $(cat "$template/wineserver")"
tb_start_xvfb_begin "$work"
tb_make_prefix "$template" "$WINEPREFIX" "$win64"
[ -e "$WINEPREFIX/wineserver" ] && fail "the copy names a server folder before its session ran"
tb_start_xvfb_end "$work" || exit 1

# The boot's service manager ends before the test program starts, as when the
# boot could not start it.
exe=$(tb_winpath "$win64/tests/testbed_e2e.exe")
out=$(timeout -k 5 120 wine cmd /c "taskkill /f /im services.exe >nul & $exe \
  --gtest_filter=DriverService.StoppedServiceIsAnAbsentDriverAndStartsAgain --gtest_color=no" 2>&1)
rc=$?
echo "$out"
[ "$rc" -eq 0 ] || fail "the driver test failed (exit code $rc) in a session that had lost its service manager"

folder=$(cat "$WINEPREFIX/wineserver" 2>/dev/null)
if [ -z "$folder" ] || [ ! -d "$TMPDIR/$folder" ]; then
  fail "the session's server folder is not in its work folder (the prefix names '$folder')"
fi
exit $failed
