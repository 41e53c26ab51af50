#!/usr/bin/env bash
# Runs the Windows build of the core's tests under Wine against the device
# emulator:
#   scripts/wine-core-tests.sh NATIVE_BUILD_DIR WIN_BUILD_DIR
# NATIVE_BUILD_DIR holds the native emulator (tools/emu/rud003-emu), WIN_BUILD_DIR
# the Windows test programs. One emulator runs behind COM5 of the build's Wine
# prefix for the whole run; every test restarts it through its TCP control port.
# NOTAREL_WINE_PROBE=1 also runs the serial probe, which prints time-outs and
# round-trip figures. The system's error texts are checked once more under a
# French locale. The exit code is that of the first program that failed,
# else 0.
set -euo pipefail
if [ $# -ne 2 ]; then
  echo "usage: $0 NATIVE_BUILD_DIR WIN_BUILD_DIR" >&2
  exit 2
fi
scripts=$(cd "$(dirname "$0")" && pwd)
win_dir=$(cd "$2" && pwd)
core_tests=$win_dir/tests/core/notarel_core_tests.exe
protocol_tests=$win_dir/tests/protocol/notarel_protocol_tests.exe
backend_tests=$win_dir/tests/wine/notarel_wine_backend_tests.exe
settings_tests=$win_dir/tests/wine/notarel_wine_settings_tests.exe
# Bounds each test program so that a hang cannot stall CI.
program_timeout=${NOTAREL_WINE_TIMEOUT:-900}

# The prefix, our own Wine server and the emulator behind COM5.
# shellcheck source=wine-emu-env.sh
source "$scripts/wine-emu-env.sh" "$1" "$win_dir" "$core_tests"

status=0
programs=("$protocol_tests" "$backend_tests" "$settings_tests" "$core_tests")
# Figures of the serial link on this machine, on request.
if [ "${NOTAREL_WINE_PROBE:-0}" = 1 ]; then
  programs+=("$win_dir/tests/wine/notarel_wine_serial_probe.exe")
fi
# Only the exchange benchmark, for scripts/bench.sh.
if [ "${NOTAREL_WINE_BENCH:-0}" = 1 ]; then
  programs=("$win_dir/tests/bench/exchange_bench.exe")
fi
for program in "${programs[@]}"; do
  [ -f "$program" ] || continue
  echo "== $(basename "$program") under Wine ($arch)"
  rc=0
  timeout --kill-after=10 "$program_timeout" "$NOTAREL_WINE" "$program" || rc=$?
  if [ "$rc" -ne 0 ]; then
    echo "$(basename "$program") failed with exit code $rc"
    [ "$status" -ne 0 ] || status=$rc
  fi
done

# The system's messages under a French locale (ANSI code page 1252, messages
# with letters beyond ASCII) must still reach the driver as Windows-1251 text.
if [ "${NOTAREL_WINE_BENCH:-0}" != 1 ] && [ -f "$backend_tests" ]; then
  if ! locale -a 2>/dev/null | grep -qix 'fr_FR.utf8'; then
    localedef -i fr_FR -f UTF-8 fr_FR.UTF-8 || echo "$0: could not generate fr_FR.UTF-8" >&2
  fi
  echo "== $(basename "$backend_tests") under Wine ($arch), locale fr_FR.UTF-8"
  rc=0
  LC_ALL=fr_FR.UTF-8 timeout --kill-after=10 "$program_timeout" "$NOTAREL_WINE" "$backend_tests" \
    --gtest_filter='Win32Serial.ErrorText*:Win32Serial.MissingPort*' || rc=$?
  if [ "$rc" -ne 0 ]; then
    echo "$(basename "$backend_tests") under fr_FR.UTF-8 failed with exit code $rc"
    [ "$status" -ne 0 ] || status=$rc
  fi
fi
exit "$status"
