#!/usr/bin/env bash
# Sets up the machine, builds, and starts the suite under Wine against the
# simulated panel driver: a prefix made from the test bed's template, the
# deliverables that were built placed in C:\windows\system32, the WEXANT
# service running, then the settings program (and the resident program when
# built) started.
#   With a display ($DISPLAY set): the programs stay until they end.
#   Without one: they run on a private Xvfb; a screenshot is saved, its path
#   printed, and the programs are ended.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
bash "$root/scripts/setup.sh"
BUILD_DIR="$build" bash "$root/scripts/build.sh"
bash "$root/testbed/scripts/make-template.sh" "$build/win64"

. "$root/testbed/scripts/wine-env.sh"
win64=$build/win64
run=$build/run
sys32_rel='drive_c/windows/system32'
export WINEPREFIX=$run/prefix
own_display=0
cleanup() {
  timeout 10 wineserver -k 2>/dev/null || true
  timeout 10 wineserver -w 2>/dev/null || true
  if [ "$own_display" = 1 ]; then tb_stop_xvfb; fi
}
trap cleanup EXIT

timeout 10 wineserver -k 2>/dev/null || true
rm -rf "$run"
mkdir -p "$run"
# The run's Wine server folder lies in the run's own folder and goes with it.
tb_session_tmp "$run"
tb_make_prefix "$build/prefix-template" "$WINEPREFIX" "$win64"
# The libraries outside the suite that the programs load (hook and account
# libraries): their stand-ins take their place.
for f in gralen.dll LAROP.dll; do
  [ -f "$win64/standins/$f" ] && cp "$win64/standins/$f" "$WINEPREFIX/$sys32_rel/$f"
done
# The driver package's files in the system directory: the panel picture of the
# first settings page and the driver list (staged with the build) are there,
# as after a real installation.
cp "$root/testbed/data/panel.bmp" "$WINEPREFIX/$sys32_rel/panel.bmp"
[ -f "$WINEPREFIX/$sys32_rel/Dvrlist.txt" ] || cp "$root/testbed/data/Dvrlist.txt" "$WINEPREFIX/$sys32_rel/"

if [ -z "${DISPLAY:-}" ]; then
  own_display=1
  tb_start_xvfb "$run"
fi
echo "run: prefix $WINEPREFIX on display $DISPLAY"

if [ -f "$WINEPREFIX/$sys32_rel/drivers/wexant.sys" ]; then
  timeout 30 wine sc start WEXANT >/dev/null 2>&1 || true
  for n in $(seq 1 50); do
    timeout 10 wine sc query WEXANT 2>/dev/null | grep -q RUNNING && break
    timeout 30 wine sc start WEXANT >/dev/null 2>&1 || true
    sleep 0.2
  done
  if timeout 10 wine sc query WEXANT 2>/dev/null | grep -q RUNNING; then
    echo "run: simulated panel driver running"
  else
    echo "run: the simulated panel driver did not start" >&2
  fi
else
  echo "run: no simulated panel driver built ($win64/driver/wexant.sys)" >&2
fi

pids=()
for exe in Tavrick.exe Quintrel.exe; do
  if [ -f "$WINEPREFIX/$sys32_rel/$exe" ]; then
    (cd "$WINEPREFIX/$sys32_rel" && exec wine "C:\\windows\\system32\\$exe") &
    pids+=($!)
    echo "run: started $exe"
  else
    echo "run: $exe is not built" >&2
  fi
done
[ ${#pids[@]} -gt 0 ] || { echo "run: nothing to start" >&2; exit 1; }

if [ "$own_display" = 1 ]; then
  # Give the windows time to appear, then photograph the screen.
  for n in $(seq 1 100); do
    xdotool search --onlyvisible --name . >/dev/null 2>&1 && [ "$n" -gt 20 ] && break
    sleep 0.1
  done
  sleep 2
  shot=$build/artifacts/run/screen.png
  mkdir -p "$(dirname "$shot")"
  import -display "$DISPLAY" -window root "$shot"
  echo "run: screenshot $shot"
else
  # A real display: the user works with the programs until they end.
  wait "${pids[@]}" || true
fi
