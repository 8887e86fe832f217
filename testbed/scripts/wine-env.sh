# Sourced by the test bed's scripts: the Wine environment every run shares.
# Crashes must end their process rather than wait in the debugger, and the
# .NET and HTML engines are not wanted (their installers would be offered).
export WINEDEBUG=${TB_WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
export WINEARCH=win64
# English unless a program is started in the Japanese mode (the harness sets
# LANG/LC_ALL=ja_JP.UTF-8 in that child's environment).
export LANG=en_US.UTF-8
unset LC_ALL LANGUAGE
unset WINELOADERNOEXEC WINESERVER

# Starts a private Xvfb (1024x768x24) on a free display; sets TB_XVFB_PID and DISPLAY.
tb_start_xvfb() {
  local dir=$1
  rm -f "$dir/display"
  Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp -noreset 9>"$dir/display" \
       >/dev/null 2>"$dir/xvfb.log" &
  TB_XVFB_PID=$!
  local n
  for n in $(seq 1 500); do
    if [ -s "$dir/display" ] && grep -q '^[0-9]' "$dir/display"; then
      export DISPLAY=":$(head -n1 "$dir/display")"
      return 0
    fi
    kill -0 "$TB_XVFB_PID" 2>/dev/null || break
    sleep 0.01
  done
  echo "testbed: Xvfb did not start" >&2
  cat "$dir/xvfb.log" >&2
  return 1
}

tb_stop_xvfb() {
  if [ -n "${TB_XVFB_PID:-}" ]; then
    kill "$TB_XVFB_PID" 2>/dev/null || true
    wait "$TB_XVFB_PID" 2>/dev/null || true
    TB_XVFB_PID=
  fi
}

# A Linux path as the Windows path Wine sees it through drive Z: (the root).
tb_winpath() {
  local p
  p=$(readlink -f "$1")
  printf 'Z:%s' "${p//\//\\}"
}

# Files of a prefix that no run writes: the copies of a test prefix link them.
TB_LINKED_FILES='.*\.\(dll\|exe\|drv\|sys\|ocx\|cpl\|acm\|tlb\|ax\|ds\|msstyles\|nls\|ttf\|ttc\|fon\|com\|vxd\|tsp\|mui\)'
