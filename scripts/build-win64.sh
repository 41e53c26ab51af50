#!/usr/bin/env bash
# Cross-builds the 64-bit deliverable, Notarel.dll for x86-64, from the same
# sources as the 32-bit one, together with the programs of the side-by-side
# tests (both controls registered in one 64-bit Wine prefix):
#   scripts/build-win64.sh WIN64_BUILD_DIR [CMAKE_OPTION...]
# Only those targets are built, so that the test command does not build every
# test program twice; a host that cannot execute 32-bit code builds the whole
# tree here anyway (scripts/build-wine-tests.sh), and this then costs nothing.
# CMAKE_OPTIONs go to cmake: -DNOTAREL_EMULATOR=PATH (the native emulator) and
# -DNOTAREL_WIN32_DLL=PATH (the 32-bit Notarel.dll the tests register beside
# this one; default build/win32/driver/automation/Notarel.dll).
set -euo pipefail
NOTAREL_WIN_TOOLCHAIN=cmake/mingw-x86_64.cmake NOTAREL_WIN_TARGETS="Notarel notarel_side_by_side" \
  exec bash "$(dirname "$0")/build-win32.sh" "$@"
