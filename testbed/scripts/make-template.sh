#!/usr/bin/env bash
# Makes the template Wine prefix every e2e test copies: a 64-bit prefix with the
# debugger off, the panel driver's kernel service registered and the Japanese
# font in place. Made once; reused while its stamp (Wine's version and this
# script) matches.
#
#   make-template.sh <win64 build dir>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"
win64=$(cd "$1" && pwd)
template=${TB_TEMPLATE:-$(dirname "$win64")/prefix-template}
stamp="$(wine --version 2>/dev/null) $(md5sum <"$here/make-template.sh" | cut -c1-16)"

# Prefix copies a killed test run left behind: end their servers, remove them.
if [ -d "$(dirname "$template")/prefixes" ]; then
  for p in "$(dirname "$template")"/prefixes/*/prefix; do
    [ -d "$p" ] || continue
    TMPDIR=$(dirname "$p")/tmp WINEPREFIX=$p timeout 10 wineserver -k 2>/dev/null || true
  done
  rm -rf "$(dirname "$template")/prefixes"
fi

# A template of an older script named a server folder in /tmp that its copies
# shared: it goes with that template.
if [ -f "$template/wineserver" ] && grep -qx 'wine-[A-Za-z0-9]\{6\}' "$template/wineserver"; then
  rm -rf "/tmp/$(cat "$template/wineserver")"
fi

if [ -f "$template/tb-stamp" ] && [ "$(cat "$template/tb-stamp")" = "$stamp" ]; then
  echo "testbed: template prefix $template is up to date"
  exit 0
fi

work=$(mktemp -d "$(dirname "$template")/prefix-template.new.XXXXXX")
export WINEPREFIX=$work/prefix
tmp=$work/run
mkdir -p "$tmp"
tb_session_tmp "$work"
cleanup() {
  wineserver -k 2>/dev/null || true
  tb_stop_xvfb
  rm -rf "$work"
}
trap cleanup EXIT
tb_start_xvfb "$tmp"

t0=$(date +%s.%N)
timeout -k 5 240 wineboot -i >"$tmp/wineboot.log" 2>&1 || { cat "$tmp/wineboot.log" >&2; exit 1; }
timeout -k 5 60 wineserver -w

cat >"$tmp/template.reg" <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\DllOverrides]
"mscoree"=""
"mshtml"=""
"winedbg.exe"=""
"winemenubuilder.exe"=""

; The X server of the tests has no window manager. Wine would manage its
; top-level windows and, each time a visible one is hidden (a dialog closed, a
; key box put away), wait about 1.5 s for a window manager that never answers;
; unmanaged windows hide at once and sit exactly where the programs put them.
[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

; The Japanese font that the message box and menu fonts link to in a Japanese
; session is an IPA font here: without this, message boxes show empty boxes
; in place of Japanese text.
[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"MS UI Gothic"="IPAPGothic"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Auto"="1"
"Debugger"="-"

[HKEY_LOCAL_MACHINE\Software\Wow6432Node\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Auto"="1"
"Debugger"="-"
REG
timeout -k 5 60 wine regedit /S 'Z:'"${tmp//\//\\}"'\template.reg'
timeout -k 5 60 wine sc create WEXANT type= kernel start= demand \
  binPath= 'C:\windows\system32\drivers\wexant.sys' >"$tmp/sc.log" 2>&1 \
  || { cat "$tmp/sc.log" >&2; exit 1; }
timeout -k 5 60 wineserver -w
t1=$(date +%s.%N)

echo "$stamp" >"$WINEPREFIX/tb-stamp"
rm -f "$WINEPREFIX/wineserver"
rm -rf "$template"
mv "$WINEPREFIX" "$template"
awk -v a="$t0" -v b="$t1" -v t="$template" 'BEGIN { printf "testbed: template prefix %s made in %.1f s\n", t, b - a }'
