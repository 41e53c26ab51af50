#!/usr/bin/env bash
# Cross-builds the Windows deliverables and their tests with mingw-w64.
#   scripts/build-win32.sh WIN_BUILD_DIR [CMAKE_OPTION...]
# The toolchain is 32-bit (cmake/mingw-i686.cmake) unless NOTAREL_WIN_TOOLCHAIN
# names another one: cmake/mingw-x86_64.cmake builds the same sources as 64-bit
# programs for test hosts that cannot execute 32-bit code (Wine then runs them
# with its 64-bit loader). The 64-bit deliverable, Notarel.dll for x86-64, is
# built by scripts/build-win64.sh. CMAKE_OPTIONs go to
# cmake, for example -DNOTAREL_EMULATOR=build/asan/tools/emu/rud003-emu, the
# emulator that the tests (ctest --test-dir WIN_BUILD_DIR) reach behind COM5.
set -euo pipefail
if [ $# -lt 1 ]; then
  echo "usage: $0 WIN_BUILD_DIR [CMAKE_OPTION...]" >&2
  exit 2
fi
cd "$(dirname "$0")/.."
build_dir=$1
shift
toolchain=${NOTAREL_WIN_TOOLCHAIN:-cmake/mingw-i686.cmake}

cmake -S . -B "$build_dir" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release "$@"
# NOTAREL_WIN_TARGETS: build only these targets (scripts/build-win64.sh).
read -r -a targets <<<"${NOTAREL_WIN_TARGETS:-}"
cmake --build "$build_dir" -j2 ${targets[@]+--target "${targets[@]}"}
