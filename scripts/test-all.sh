#!/usr/bin/env bash
# Every test of the project: native tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, the thread tests under ThreadSanitizer, and the
# Windows test programs under Wine (ctest of the Windows build: the core's
# serial and exchange tests and the automation server against the emulator,
# the windows on a virtual display). Builds the release bundle. Installs what
# it needs first. Runs each fuzz target briefly (scripts/fuzz.sh --short).
# Build trees go under build/. Every part runs even when an
# earlier one failed; the failing ones are listed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
failed=()

echo "== native build with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DNOTAREL_SANITIZE="address;undefined" >/dev/null
cmake --build build/asan -j2
ctest --test-dir build/asan --output-on-failure -j2 --timeout 300 || failed+=("native tests (build/asan)")

echo "== thread tests with ThreadSanitizer"
cmake -S . -B build/tsan -DCMAKE_BUILD_TYPE=Debug -DNOTAREL_SANITIZE=thread >/dev/null
cmake --build build/tsan -j2
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  ctest --test-dir build/tsan --output-on-failure -L thread --timeout 300 ||
  failed+=("thread tests (build/tsan)")

# The Debian package of the Linux tools, built in Release and checked (build/deb).
echo "== Debian package of the Linux tools"
bash scripts/test-deb.sh build/deb || failed+=("Debian package (scripts/test-deb.sh)")

echo "== fuzz targets (clang, ASan+UBSan): a short run of each over its seeds and kept inputs"
bash scripts/fuzz.sh --short || failed+=("fuzz targets (build/fuzz)")

echo "== Windows build (32-bit deliverables) and the release bundle"
bash scripts/build-win32.sh build/win32 -DNOTAREL_EMULATOR="$(pwd)/build/asan/tools/emu/rud003-emu"
echo "== the 64-bit Notarel.dll and the programs of its side-by-side tests"
bash scripts/build-win64.sh build/win64 -DNOTAREL_EMULATOR="$(pwd)/build/asan/tools/emu/rud003-emu"
cmake --build build/win32 --target dist

echo "== Windows tests under Wine"
bash scripts/build-wine-tests.sh build/asan
win_dir=$(bash scripts/build-wine-tests.sh --dir)
ctest --test-dir "$win_dir" --output-on-failure || failed+=("Windows tests ($win_dir)")
# Both controls in one 64-bit prefix. Where the Windows tests ran from
# build/win64, they were among them.
if [ "$win_dir" != build/win64 ]; then
  echo "== the 32-bit and the 64-bit control side by side under Wine"
  ctest --test-dir build/win64 -L side_by_side --output-on-failure ||
    failed+=("side-by-side tests (build/win64)")
fi

echo "== MSI package: install, upgrade and removal under Wine (64-bit prefix)"
# The 64-bit DLL is the one build-win64.sh built above.
msi_test() {
  bash scripts/build-msi.sh build/win32 build/win64/driver/automation/Notarel.dll \
    build/win32/dist/Notarel.msi &&
    bash tests/msi/msi_test.sh build/win32 build/win64/driver/automation/Notarel.dll \
      build/asan/tools/emu/rud003-emu build/msi-test
}
msi_test || failed+=("MSI package (build/msi-test)")

if [ ${#failed[@]} -gt 0 ]; then
  printf '%s: failed: %s\n' "$0" "${failed[@]}" >&2
  exit 1
fi
echo "== all tests passed; window screenshots in $win_dir/screenshots"
