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

# The other native figures: idle polling CPU and escrow-to-Stack1 latency, the
# device search over 32 ports, XML parsing and the settings file's load and save.
cmake --build build/release -j2 --target polling_bench search_bench config_bench
echo "== native: polling"
build/release/tests/bench/polling_bench
echo "== native: device search"
build/release/tests/bench/search_bench
echo "== native: XML and the settings file"
build/release/tests/config/config_bench

win_dir=$(bash scripts/build-wine-tests.sh --dir)
bash scripts/build-wine-tests.sh build/release >/dev/null
echo "== under Wine ($win_dir)"
# The Windows tests' prefix, server and emulator (cmake/wine/fixture.sh), and
# the programs run by the tests' Wine wrapper (cmake/wine/run.sh).
wine_config=$root/$win_dir/wine-tests.env
fixture() { bash cmake/wine/fixture.sh "$wine_config" "$@"; }
fixture locales
fixture server-start
trap 'fixture emulator-stop; fixture server-stop' EXIT
fixture emulator-start
(cd "$win_dir/tests/bench" && bash "$root/cmake/wine/run.sh" "$wine_config" exchange_bench.exe)

echo "== automation layer under Wine ($win_dir)"
(
  cd "$win_dir/tests/bench"
  bash "$root/cmake/wine/run.sh" "$wine_config" automation_bench.exe "${3:-200000}" "${4:-5000}"
)

# Four acceptors in one process: CPU per idle acceptor at the default polling
# interval and Bill-to-Stacked latency with all four busy (arguments 5 and 6:
# idle seconds, bills per acceptor), natively and under Wine against the
# emulators behind COM5 to COM8.
cmake --build build/release -j2 --target multi_acceptor_bench
echo "== four acceptors, native"
build/release/tests/bench/multi_acceptor_bench "${5:-10}" "${6:-40}"
echo "== four acceptors under Wine ($win_dir)"
trap 'fixture emulators-stop; fixture emulator-stop; fixture server-stop' EXIT
fixture emulators-start
(
  cd "$win_dir/tests/bench"
  bash "$root/cmake/wine/run.sh" "$wine_config" multi_acceptor_bench.exe "${5:-10}" "${6:-40}"
)
