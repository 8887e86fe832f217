#!/usr/bin/env bash
# Fails when a deliverable would not load on 64-bit XP (NT 5.2): an imported
# function outside the list of calls that XP's system DLLs export, or a
# subsystem version above 5.2. Wine exports newer calls whatever Windows
# version it plays, so only the import table shows this.
#
#   check-imports.sh <objdump> <allowed list> <image>
set -euo pipefail
objdump=$1
allowed=$2
image=$3
dump=$("$objdump" -p "$image")
status=0

major=$(awk '$1 == "MajorSubsystemVersion" { print $2 }' <<<"$dump")
minor=$(awk '$1 == "MinorSubsystemVersion" { print $2 }' <<<"$dump")
if [ -z "$major" ] || [ "$major" -gt 5 ] || { [ "$major" -eq 5 ] && [ "$minor" -gt 2 ]; }; then
  echo "$(basename "$image"): subsystem version $major.$minor is newer than 5.2"
  status=1
fi

# "DLL function" of every import (by name; an import by ordinal has no name and
# is listed as DLL #ordinal).
imports=$(awk '
  /^[ \t]*DLL Name:/ { dll = toupper($3); next }
  /^[ \t]*vma:/ { next }
  dll != "" && /^\t[0-9a-f]+\t/ {
    if (NF >= 3) print dll, $3; else if (NF == 2) print dll, "#" $2
  }
  /^$/ { }
  /^The Export Tables|^PE File Base Relocations|^The Function Table/ { dll = "" }
' <<<"$dump" | sort -u)
if [ -z "$imports" ]; then
  echo "$(basename "$image"): no imports read"
  exit 1
fi
list=$( (grep -v '^[[:space:]]*\(#\|$\)' "$allowed" || true) | awk '{ print toupper($1), $2 }' | sort -u)
missing=$(comm -23 <(echo "$imports") <(echo "$list"))
if [ -n "$missing" ]; then
  echo "$(basename "$image") imports what 64-bit XP may not export:"
  sed 's/^/  /' <<<"$missing"
  status=1
fi
[ $status -eq 0 ] && echo "$(basename "$image"): $(wc -l <<<"$imports") imports, all on the list"
exit $status
