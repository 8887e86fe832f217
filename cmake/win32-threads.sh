#!/bin/sh
# Compiler launcher of the deliverables: runs the win32-thread-model twin of the
# posix compiler CMake was given. The win32 runtime uses only what the system's
# own DLLs export on every Windows the programs meet (the posix model's thread
# library imports calls that 64-bit XP lacks). Only GoogleTest and the test
# programs need the posix model's std::mutex.
compiler=$1
shift
exec "${compiler%-posix}-win32" "$@"
