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
# Windows-1251, the code page of the driver's texts and help strings.
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
