# Sourced by the test bed's scripts: the Wine environment every run shares.
# Crashes must end their process rather than wait in the debugger; the
# .NET and HTML engines (their installers would be offered) and the desktop
# menu builder are not wanted. Wine's own messages stay quiet, but for the
# errors of the session's start (wineboot: a service manager that ended, a
# program of the Run keys that did not run; win: a desktop program that did
# not start), which a failed test's output then shows; the disabled menu
# builder is always one of them.
export WINEDEBUG=${TB_WINEDEBUG:--all,err+wineboot,err+win}
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe,winemenubuilder.exe=d"
export WINEARCH=win64
# English unless a program is started in the Japanese mode (the harness sets
# LANG/LC_ALL=ja_JP.UTF-8 for that child on the Unix side).
export LANG=en_US.UTF-8
unset LC_ALL LANGUAGE
unset WINELOADERNOEXEC WINESERVER

# Debian's Wine names the folder of a prefix's server socket in
# the prefix's file "wineserver", which the first Wine process of the prefix
# writes: a folder it makes under TMPDIR. A copied prefix keeps the name its
# template had, so every copy would share one folder in /tmp, which no run
# removes, where a prefix of a later run can meet the socket and lock files
# a removed one left under the same inode. So a session gets a TMPDIR of its
# own inside its work folder, which goes with the session, and no prefix
# carries that file into a copy:
#   tb_session_tmp <work folder>
tb_session_tmp() {
  export TMPDIR=$1/tmp
  mkdir -p -m 700 "$TMPDIR"
}

# The processes whose environment holds this session's WINEPREFIX (its Wine
# processes, its wineserver and whatever they started), but those of the
# calling script's own process group (the script, its display, its pipes).
tb_session_pids() {
  local own pids
  own=$(ps -o pgid= -p $$)
  pids=$(grep -lsxzF "WINEPREFIX=$WINEPREFIX" /proc/[0-9]*/environ | cut -d/ -f3 | paste -sd,)
  [ -z "$pids" ] || ps -o pid=,pgid= -p "$pids" | awk -v own="$own" '$2 != own { print $1 }'
}

# Starts a private Xvfb (1024x768x24) on a free display; sets TB_XVFB_PID and,
# once it is ready, DISPLAY. _begin returns at once, _end waits for the display.
tb_start_xvfb_begin() {
  local dir=$1
  rm -f "$dir/display"
  Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp -noreset 9>"$dir/display" \
       >/dev/null 2>"$dir/xvfb.log" &
  TB_XVFB_PID=$!
}

tb_start_xvfb_end() {
  local dir=$1 n
  for n in $(seq 1 3000); do
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

tb_start_xvfb() {
  tb_start_xvfb_begin "$1"
  tb_start_xvfb_end "$1"
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

# A prefix from the template, with the build's deliverables in the system
# directory and the panel driver in its drivers folder:
#   tb_make_prefix <template> <new prefix> <win64 build dir>
# The copy links the template's Wine binaries (no run writes them) and copies
# everything a run may write: registry, ini and inf files, and any system file
# the build puts in place of one of Wine's (a stand-in a test installs over one
# of Wine's libraries must not write through the link into the template).
tb_make_prefix() {
  local template=$1 prefix=$2 win64=$3 f b
  cp -al "$template" "$prefix"
  rm -f "$prefix/wineserver"
  (cd "$template" && find . -type f ! -iregex "$TB_LINKED_FILES" ! -path ./wineserver -print0) |
    (cd "$template" && xargs -0 -r cp --parents --remove-destination -p -t "$prefix")
  local sys32=$prefix/drive_c/windows/system32
  if [ -d "$win64/system32" ]; then
    cp -r --remove-destination "$win64/system32/." "$sys32/"
  fi
  if [ -d "$win64/standins" ]; then
    for f in "$win64/standins"/*; do
      [ -e "$f" ] || continue
      b=$(basename "$f")
      if [ -e "$sys32/$b" ]; then
        cp --remove-destination "$sys32/$b" "$sys32/$b.tbcopy" && mv -f "$sys32/$b.tbcopy" "$sys32/$b"
      fi
    done
  fi
  if [ -f "$win64/driver/wexant.sys" ]; then
    cp --remove-destination "$win64/driver/wexant.sys" "$sys32/drivers/wexant.sys"
  fi
}
