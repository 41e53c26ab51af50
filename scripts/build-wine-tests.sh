#!/usr/bin/env bash
# Builds the Windows tree whose tests run under Wine, against the emulator of a
# native build:
#   scripts/build-wine-tests.sh NATIVE_BUILD_DIR
#   scripts/build-wine-tests.sh --dir     (prints the tree's directory only)
# The tree is build/win32, the 32-bit deliverables, where Wine's 32-bit loader
# runs. Some kernels cannot execute 32-bit programs at all (hypervisors without
# a 32-bit user mode); there it is build/win64, the same sources built as
# 64-bit programs, which Wine's 64-bit loader runs (the side-by-side tests of
# the 32-bit and the 64-bit control then run their 64-bit half only). This is
# the one place that makes the choice; the build then picks the loader from
# its toolchain.
set -euo pipefail
cd "$(dirname "$0")/.."

if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  dir=build/win32 toolchain=cmake/mingw-i686.cmake
else
  dir=build/win64 toolchain=cmake/mingw-x86_64.cmake
fi
if [ "${1:-}" = --dir ]; then
  echo "$dir"
  exit 0
fi
if [ $# -ne 1 ] || [ ! -d "$1" ]; then
  echo "usage: $0 NATIVE_BUILD_DIR | --dir" >&2
  exit 2
fi
emulator=$(cd "$1" && pwd)/tools/emu/rud003-emu
[ -x "$emulator" ] || { echo "$0: no emulator at $emulator (build target rud003-emu)" >&2; exit 2; }
[ "$dir" = build/win32 ] || echo "== this host cannot run 32-bit programs: the Windows tests as 64-bit programs"
NOTAREL_WIN_TOOLCHAIN=$toolchain bash scripts/build-win32.sh "$dir" -DNOTAREL_EMULATOR="$emulator"
