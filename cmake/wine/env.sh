# Wine settings of a Windows build's tests; sourced by run.sh and fixture.sh:
#   source env.sh CONFIG
# CONFIG is the build's wine-tests.env (written by cmake/WineTests.cmake): the
# loader (NOTAREL_WINE_ARCH, win32 or win64, from the toolchain), the build
# directory and the native emulator. Sets NOTAREL_WINE (the command that runs
# a Windows program), the prefix under the build directory, state (the folder
# of the run's files and processes) and, while the run's virtual display
# lives, DISPLAY.

# shellcheck disable=SC1090
source "$1"
state=$NOTAREL_WINE_BUILD/wine-run
mkdir -p "$state"
case $NOTAREL_WINE_ARCH in
  win32) NOTAREL_WINE=wine; unset WINELOADER ;;
  win64) NOTAREL_WINE=/usr/lib/wine/wine64; export WINELOADER=$NOTAREL_WINE ;;
  *) echo "env.sh: unknown Wine architecture '$NOTAREL_WINE_ARCH'" >&2; exit 2 ;;
esac
export NOTAREL_WINE
export WINEPREFIX=$NOTAREL_WINE_BUILD/wineprefix-$NOTAREL_WINE_ARCH
export WINEARCH=$NOTAREL_WINE_ARCH
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

# A process recorded in the state folder (NAME.pid) that still runs.
alive() {
  [ -f "$state/$1.pid" ] && kill -0 "$(cat "$state/$1.pid")" 2>/dev/null
}

if alive display; then
  DISPLAY=$(cat "$state/display")
  export DISPLAY
fi
