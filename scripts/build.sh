#!/usr/bin/env bash
# Configures and builds both trees: build/win64 (the Windows programs, the
# simulated driver, stand-ins and the e2e test programs, cross-built with
# MinGW-w64) and build/native (unit tests, and the ctest list of every test).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
jobs=${JOBS:-$(nproc)}
cmake -S "$root" -B "$build/win64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build/win64" -j "$jobs" -- --no-print-directory
cmake -S "$root" -B "$build/native" -DWIN64_BUILD_DIR="$build/win64" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build/native" -j "$jobs" -- --no-print-directory
