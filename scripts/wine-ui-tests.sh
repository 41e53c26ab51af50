#!/usr/bin/env bash
# Runs the window tests under Wine on a virtual X display, against the
# emulator:
#   scripts/wine-ui-tests.sh NATIVE_BUILD_DIR WIN_BUILD_DIR [PROGRAM...]
# The programs are the property page tests, the search dialog and about box
# tests, the two Notaprobe test programs and the test of a Bill handler that
# waits for a window (all by default; PROGRAM names a subset by file name). For each program, in a fresh Wine server with a fresh
# emulator behind COM5: registers the Notarel.dll beside the program with
# regsvr32, then runs it. Screenshots go to WIN_BUILD_DIR/screenshots
# (NOTAREL_SCREENSHOTS holds its Windows path). The run uses a Russian
# locale (ANSI code page Windows-1251); after it, a few tests of each program
# (at least one per window) run again under a locale whose ANSI code page is
# Windows-1252, as on any non-Russian Windows, where the windows must show the
# same Russian texts. Exit code: 0 when every program passed.
set -euo pipefail
if [ $# -lt 2 ]; then
  echo "usage: $0 NATIVE_BUILD_DIR WIN_BUILD_DIR [PROGRAM...]" >&2
  exit 2
fi
scripts=$(cd "$(dirname "$0")" && pwd)
native_dir=$(cd "$1" && pwd)
win_dir=$(cd "$2" && pwd)
shift 2

# The whole run happens inside one virtual display, so that the Wine server
# and its desktop process belong to it.
if [ -z "${NOTAREL_UI_DISPLAY_READY:-}" ]; then
  command -v xvfb-run >/dev/null || { echo "$0: xvfb-run is missing (Debian package xvfb)" >&2; exit 2; }
  export NOTAREL_UI_DISPLAY_READY=1
  # 24-bit colour, so that screenshots hold the colours drawn.
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$native_dir" "$win_dir" "$@"
fi

# Wine takes its ANSI code page from the C library's locale.
if ! locale -a 2>/dev/null | grep -qix 'ru_RU.utf8'; then
  localedef -i ru_RU -f UTF-8 ru_RU.UTF-8 || { echo "$0: could not generate ru_RU.UTF-8" >&2; exit 1; }
fi
export LC_ALL=ru_RU.UTF-8
export NOTAREL_ANSI_CODE_PAGE=1251
western_locale=C.UTF-8

# The tests of a program that run again under the second locale (a gtest filter).
western_tests() {
  local t='AnsiCodePage.*'
  case $1 in
    notarel_ui_page_tests.exe)
      t+=':PropertyPageTest.LoadsPortAndRateOfTheControlIntoEveryComponent'
      t+=':PropertyPageTest.FailedConnectionTestShowsCodeAndMessage' ;;
    notarel_ui_find_tests.exe)
      t+=':FindDialog.SearchListsEveryPortAndEnterOnTheDeviceHandsBackItsPortAndSpeed'
      t+=':AboutBox.*' ;;
    notaprobe_ui_tests.exe)
      t+=':NotaprobeMainWindow.StartsWithPageListAcceptPageAndEmptyResult'
      t+=':NotaprobeCommandPage.StatusOfABillInEscrowShowsThreeLines' ;;
    notaprobe_pages_tests.exe)
      t+=':UiPages.PollingPageShowsBillsAndReturnsOneWhenAcceptingIsCleared'
      t+=':UiPages.PollingPageRejectsNumberFieldsThatAreNotIntegers' ;;
    *) return 0 ;;  # shows no driver text: nothing to run again
  esac
  echo "$t"
}

all_programs=(
  tests/ui_page/notarel_ui_page_tests.exe
  tests/ui_find/notarel_ui_find_tests.exe
  tests/notaprobe/notaprobe_ui_tests.exe
  tests/notaprobe_pages/notaprobe_pages_tests.exe
  tests/window_thread/notarel_window_thread_tests.exe
)
programs=()
if [ $# -eq 0 ]; then
  programs=("${all_programs[@]}")
else
  for name in "$@"; do
    for p in "${all_programs[@]}"; do
      [ "$(basename "$p")" = "$name" ] && programs+=("$p")
    done
  done
  [ ${#programs[@]} -gt 0 ] || { echo "$0: no known program among: $*" >&2; exit 2; }
fi

mkdir -p "$win_dir/screenshots"
export NOTAREL_SCREENSHOTS="Z:${win_dir//\//\\}\\screenshots"
program_timeout=${NOTAREL_WINE_TIMEOUT:-900}
failed=()
for program in "${programs[@]}"; do
  path=$win_dir/$program
  if [ ! -f "$path" ]; then
    echo "$0: missing $path" >&2
    failed+=("$(basename "$program") (missing)")
    continue
  fi
  # A subshell per program: its own server, emulator and clean-up trap.
  if ! (
    # shellcheck source=wine-emu-env.sh
    source "$scripts/wine-emu-env.sh" "$native_dir" "$win_dir" "$path"
    dir=$(dirname "$path")
    # No window manager runs on the virtual display: Wine then draws the
    # title bars and frames itself, so that screenshots show them.
    "$NOTAREL_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 ||
      echo "$0: could not turn off window management; screenshots lack title bars" >&2
    echo "== regsvr32 $(basename "$dir")/Notarel.dll under Wine ($arch)"
    timeout --kill-after=10 120 "$NOTAREL_WINE" regsvr32 /s "Z:${dir//\//\\}\\Notarel.dll"
    echo "== $(basename "$path") under Wine ($arch) on a virtual display"
    cd "$dir"
    timeout --kill-after=10 "$program_timeout" "$NOTAREL_WINE" "$path"
    western=$(western_tests "$(basename "$path")")
    [ -n "$western" ] || exit 0
    echo "== $(basename "$path") under Wine ($arch), locale $western_locale (ANSI code page 1252)"
    LC_ALL=$western_locale NOTAREL_ANSI_CODE_PAGE=1252 timeout --kill-after=10 "$program_timeout" \
      "$NOTAREL_WINE" "$path" --gtest_filter="$western"
  ); then
    failed+=("$(basename "$program")")
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "$0: failed: ${failed[*]}" >&2
  exit 1
fi
echo "== all window tests passed; screenshots in $win_dir/screenshots"
