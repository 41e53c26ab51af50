#!/usr/bin/env bash
# Exchange figures against the emulator, natively and under Wine: exchanges per
# second with no wire time, and the ratio to the line's physical limit at 9600
# and 19200 baud. Release builds; prints figures only.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/install-deps.sh

cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j2 --target exchange_bench rud003-emu
echo "== native"
build/release/tests/bench/exchange_bench "${1:-20000}" "${2:-300}"

if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  win_dir=build/win32
else
  win_dir=build/win64
  export NOTAREL_WIN_TOOLCHAIN=cmake/mingw-x86_64.cmake
fi
bash scripts/build-win32.sh "$win_dir" >/dev/null
echo "== under Wine ($win_dir)"
NOTAREL_WINE_BENCH=1 bash scripts/wine-core-tests.sh "$root/build/release" "$root/$win_dir"

echo "== automation layer under Wine ($win_dir)"
(
  # shellcheck source=wine-emu-env.sh
  source scripts/wine-emu-env.sh "$root/build/release" "$root/$win_dir" \
    "$root/$win_dir/tests/bench/automation_bench.exe"
  cd "$root/$win_dir/tests/bench"
  "$NOTAREL_WINE" automation_bench.exe "${3:-200000}" "${4:-5000}"
)
