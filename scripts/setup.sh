#!/usr/bin/env bash
# Installs what the suite needs from Debian's packages. Idempotent; quiet when
# everything is there already.
set -euo pipefail
packages=(
  cmake make g++ googletest libgtest-dev
  g++-mingw-w64-x86-64 gcc-mingw-w64-x86-64 mingw-w64-tools binutils-mingw-w64-x86-64
  wine wine64 wine64-preloader xvfb xdotool x11-utils imagemagick fonts-ipafont-gothic locales file
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
