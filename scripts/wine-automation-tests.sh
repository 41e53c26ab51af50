#!/usr/bin/env bash
# Runs the automation server's tests under Wine:
#   scripts/wine-automation-tests.sh NATIVE_BUILD_DIR WIN_BUILD_DIR
# Registers WIN_BUILD_DIR's Notarel.dll (beside the test program) with
# regsvr32, then runs tests/automation/notarel_automation_tests.exe, which
# checks the registration, creates the controls (many times over, counting
# objects and handles), calls their members through the vtable and IDispatch
# (bad input included), reads the type library, saves and loads a property
# bag, runs bill cycles against the emulator behind COM5, and runs JScript and
# VBScript clients (and a script taking events) under cscript.
# The run uses a Russian locale, so that Wine's ANSI code page is
# Windows-1251, the code page of the driver's texts and help strings. The
# tests whose texts cross the automation boundary (the script clients among
# them) then run once more under a locale whose ANSI code page is
# Windows-1252, as on any non-Russian Windows: the driver's Russian texts
# must read the same there. The type library's help strings are 8-bit text
# that the loader decodes with the ANSI code page, so their test runs under
# the Russian locale only.
set -euo pipefail
if [ $# -ne 2 ]; then
  echo "usage: $0 NATIVE_BUILD_DIR WIN_BUILD_DIR" >&2
  exit 2
fi
scripts=$(cd "$(dirname "$0")" && pwd)
win_dir=$(cd "$2" && pwd)
test_dir=$win_dir/tests/automation
tests=$test_dir/notarel_automation_tests.exe
program_timeout=${NOTAREL_WINE_TIMEOUT:-900}

# Wine takes its ANSI code page from the C library's locale.
if ! locale -a 2>/dev/null | grep -qix 'ru_RU.utf8'; then
  localedef -i ru_RU -f UTF-8 ru_RU.UTF-8 || {
    echo "$0: could not generate the ru_RU.UTF-8 locale" >&2
    exit 1
  }
fi
export LC_ALL=ru_RU.UTF-8
export NOTAREL_ANSI_CODE_PAGE=1251
# The second locale and the tests it runs (a gtest filter).
western_locale=C.UTF-8
western_tests='AnsiCodePage.*:JScriptAndVBScript/Script.*:Members.*:BadValues.NullTextsAreEmptyAndLongTextsRoundTrip'
western_tests+=':MemberGuard.*:BillCycle.ADeviceFallingSilentGivesAnErrorWithTheDriversRussianMessage'

# The prefix, our own Wine server and the emulator behind COM5.
# shellcheck source=wine-emu-env.sh
source "$scripts/wine-emu-env.sh" "$1" "$win_dir" "$tests"

echo "== regsvr32 Notarel.dll under Wine ($arch)"
dll_windows_path="Z:${test_dir//\//\\}\\Notarel.dll"
timeout --kill-after=10 120 "$NOTAREL_WINE" regsvr32 /s "$dll_windows_path" || {
  echo "$0: regsvr32 failed for $dll_windows_path" >&2
  exit 1
}

echo "== $(basename "$tests") under Wine ($arch)"
cd "$test_dir"
timeout --kill-after=10 "$program_timeout" "$NOTAREL_WINE" "$tests"

echo "== $(basename "$tests") under Wine ($arch), locale $western_locale (ANSI code page 1252)"
LC_ALL=$western_locale NOTAREL_ANSI_CODE_PAGE=1252 \
  timeout --kill-after=10 "$program_timeout" "$NOTAREL_WINE" "$tests" --gtest_filter="$western_tests"
