#!/usr/bin/env bash
# Every test of the project: native tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, the thread tests under ThreadSanitizer, and the
# Windows build of the core's serial and exchange tests under Wine against the
# emulator, and the windows (property page, search dialog, about box,
# Notaprobe) under Wine on a virtual display. Builds the release bundle.
# Installs what it needs first. Build trees go under build/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/install-deps.sh

echo "== native build with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DNOTAREL_SANITIZE="address;undefined" >/dev/null
cmake --build build/asan -j2
ctest --test-dir build/asan --output-on-failure -j2 --timeout 300

echo "== thread tests with ThreadSanitizer"
cmake -S . -B build/tsan -DCMAKE_BUILD_TYPE=Debug -DNOTAREL_SANITIZE=thread >/dev/null
cmake --build build/tsan -j2
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  ctest --test-dir build/tsan --output-on-failure -L thread --timeout 300

echo "== Windows build (32-bit deliverables) and the release bundle"
bash scripts/build-win32.sh build/win32
cmake --build build/win32 --target dist
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  bash scripts/wine-core-tests.sh "$root/build/asan" "$root/build/win32"
  bash scripts/wine-automation-tests.sh "$root/build/asan" "$root/build/win32"
  bash scripts/wine-ole-tests.sh "$root/build/win32"
  bash scripts/wine-ui-tests.sh "$root/build/asan" "$root/build/win32"
else
  # This host cannot execute 32-bit programs at all: the same sources are built
  # as 64-bit Windows programs and run under Wine's 64-bit loader instead.
  echo "== this host cannot run 32-bit programs: Windows tests as 64-bit programs under Wine"
  NOTAREL_WIN_TOOLCHAIN=cmake/mingw-x86_64.cmake bash scripts/build-win32.sh build/win64
  bash scripts/wine-core-tests.sh "$root/build/asan" "$root/build/win64"
  bash scripts/wine-automation-tests.sh "$root/build/asan" "$root/build/win64"
  bash scripts/wine-ole-tests.sh "$root/build/win64"
  bash scripts/wine-ui-tests.sh "$root/build/asan" "$root/build/win64"
fi
