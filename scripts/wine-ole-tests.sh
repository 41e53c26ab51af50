#!/usr/bin/env bash
# Runs the Windows build of the OLE control tests (TOleControlBase and the
# TAxCtrl window) under Wine, on a virtual X display:
#   scripts/wine-ole-tests.sh WIN_BUILD_DIR
# WIN_BUILD_DIR is a build of scripts/build-win32.sh: 32-bit, or 64-bit
# (NOTAREL_WIN_TOOLCHAIN=cmake/mingw-x86_64.cmake) on hosts that cannot
# execute 32-bit programs. The in-place activation tests create real windows,
# hence the display (xvfb-run). Exit code: that of the test program.
set -euo pipefail
if [ $# -ne 1 ]; then
  echo "usage: $0 WIN_BUILD_DIR" >&2
  exit 2
fi
scripts=$(cd "$(dirname "$0")" && pwd)
win_dir=$(cd "$1" && pwd)
tests=$win_dir/tests/automation_ole/notarel_ole_tests.exe
program_timeout=${NOTAREL_WINE_TIMEOUT:-600}
[ -f "$tests" ] || { echo "$0: missing $tests" >&2; exit 2; }
command -v xvfb-run >/dev/null || { echo "$0: xvfb-run is missing (Debian package xvfb)" >&2; exit 2; }

# Machine type in the PE header: 0x014c is i386, 0x8664 is x86-64.
offset=$(od -An -tu4 -j60 -N4 "$tests" | tr -d ' ')
case $(od -An -tx2 -j$((offset + 4)) -N2 "$tests" | tr -d ' ') in
  014c) arch=win32 ;;
  8664) arch=win64 ;;
  *) echo "$0: $tests is not an i386 or x86-64 Windows program" >&2; exit 2 ;;
esac

# shellcheck source=wine-env.sh
source "$scripts/wine-env.sh" "$win_dir" "$arch"

# The server must belong to the display of this run, not to an earlier one.
wineserver -k 2>/dev/null || true
trap 'wineserver -k 2>/dev/null || true' EXIT

echo "== $(basename "$tests") under Wine ($arch) on a virtual display"
# 24-bit colour, so that the pixels the tests read back are the colours drawn.
timeout --kill-after=10 "$program_timeout" \
  xvfb-run -a -s "-screen 0 1024x768x24" "$NOTAREL_WINE" "$tests"
