#!/usr/bin/env bash
# Cross-builds the Windows deliverables and their tests with mingw-w64.
#   scripts/build-win32.sh WIN_BUILD_DIR
# The toolchain is 32-bit (cmake/mingw-i686.cmake) unless NOTAREL_WIN_TOOLCHAIN
# names another one: cmake/mingw-x86_64.cmake builds the same sources as 64-bit
# programs for test hosts that cannot execute 32-bit code (Wine then runs them
# with its 64-bit loader; the deliverables stay 32-bit).
set -euo pipefail
if [ $# -ne 1 ]; then
  echo "usage: $0 WIN_BUILD_DIR" >&2
  exit 2
fi
cd "$(dirname "$0")/.."
build_dir=$1
toolchain=${NOTAREL_WIN_TOOLCHAIN:-cmake/mingw-i686.cmake}

cmake -S . -B "$build_dir" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release
cmake --build "$build_dir" -j2
