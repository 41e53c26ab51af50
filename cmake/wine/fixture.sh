#!/usr/bin/env bash
# Setup and cleanup steps of the Windows tests' fixtures (cmake/WineTests.cmake):
#   fixture.sh CONFIG ACTION [ARGUMENT]
# ACTION is one of
#   locales                  generates the ru_RU and fr_FR UTF-8 locales when missing
#   display-start, -stop     a virtual X display (Xvfb, 24-bit colour)
#   server-start, -stop      the prefix (created when missing) and our own Wine server
#   emulator-start, -stop    the native emulator behind COM5 of the prefix
#   emulators-start, -stop   three more emulators behind COM6 to COM8, for the
#                            tests of several acceptors in one process
#   register, unregister DLL regsvr32 (/u) of DLL under the Russian locale
# Processes that outlive a step are recorded in the build's wine-run folder
# (NAME.pid) and write their output to files there, never to the step's own
# output, which ctest reads until every holder has closed it.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=env.sh
source "$here/env.sh" "$1"
action=$2
com_number=5

# Waits up to SECONDS for a command to succeed.
wait_for() {
  local seconds=$1 tries
  shift
  for ((tries = 0; tries < seconds * 10; tries++)); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

gone() { ! alive "$1"; }

# Ends the recorded process NAME, if it still runs, and forgets it.
stop() {
  if alive "$1"; then
    kill "$(cat "$state/$1.pid")"
    wait_for 10 gone "$1" || kill -9 "$(cat "$state/$1.pid")" 2>/dev/null || true
  fi
  rm -f "$state/$1.pid"
}

locales() {
  local name
  for name in ru_RU fr_FR; do
    locale -a 2>/dev/null | grep -qix "$name.utf8" && continue
    localedef -i "$name" -f UTF-8 "$name.UTF-8" || {
      echo "fixture.sh: could not generate the $name.UTF-8 locale (as root?)" >&2
      return 1
    }
  done
}

display_start() {
  command -v Xvfb >/dev/null || { echo "fixture.sh: Xvfb is missing (Debian package xvfb)" >&2; return 2; }
  stop display
  : >"$state/display.number"
  # Xvfb picks a free display and writes its number once it accepts clients.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$state/display.number" \
    </dev/null >"$state/display.log" 2>&1 &
  echo $! >"$state/display.pid"
  wait_for 30 grep -q . "$state/display.number" || {
    echo "fixture.sh: Xvfb did not start; its log:" >&2
    cat "$state/display.log" >&2
    return 1
  }
  echo ":$(tr -d '[:space:]' <"$state/display.number")" >"$state/display"
  echo "virtual display $(cat "$state/display")"
}

# A Wine command of a setup step, its output in wine-run/NAME.log.
wine_step() {
  local name=$1
  shift
  timeout --kill-after=10 120 "$NOTAREL_WINE" "$@" </dev/null >"$state/$name.log" 2>&1 || {
    echo "fixture.sh: $* failed under Wine; its output:" >&2
    cat "$state/$name.log" >&2
    return 1
  }
}

server_start() {
  # The 32-bit loader is an i386 program; some kernels refuse to execute it.
  if [ "$NOTAREL_WINE_ARCH" = win32 ] && ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo "fixture.sh: this host cannot run Wine's 32-bit loader; build the tests as 64-bit" >&2
    echo "  programs: NOTAREL_WIN_TOOLCHAIN=cmake/mingw-x86_64.cmake scripts/build-win32.sh DIR" >&2
    return 3
  fi
  # The services start under the Russian locale, as the tests of the control run.
  export LC_ALL=ru_RU.UTF-8
  wineserver -k 2>/dev/null || true
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "creating the prefix $WINEPREFIX"
    timeout 300 "$NOTAREL_WINE" wineboot -i </dev/null >"$state/wineboot.log" 2>&1 || {
      echo "fixture.sh: wineboot failed in $WINEPREFIX; see $state/wineboot.log" >&2
      return 4
    }
    timeout 120 wineserver -w
  fi
  # Our own persistent server, so that its messages go to a file: it opened the
  # pty and gets SIGHUP when the emulator hangs up, on which it writes a dump.
  wineserver -p </dev/null >"$state/wineserver.log" 2>&1
  # The server rebuilds the registry's list of serial ports from the devices it
  # finds and keeps it only while it runs; the device search tests expect the
  # emulator's port there. This first program also starts the prefix's
  # services, which inherit its output: a file, not ctest's pipe.
  wine_step reg-add reg add 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' /v NotarelTest \
    /d "COM$com_number" /f
  # No window manager runs on the virtual display: Wine then draws the title
  # bars and frames itself, so that screenshots show them.
  wine_step reg-managed reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
  echo "Wine server of $WINEPREFIX ($NOTAREL_WINE_ARCH)${DISPLAY:+ on display $DISPLAY}"
}

server_stop() {
  wineserver -k 2>/dev/null || true
  timeout 60 wineserver -w 2>/dev/null || true
}

emulator_start() { emulator_start_as emulator "$com_number"; }

# The emulators behind COM6 to COM8, recorded as emulator6 to emulator8.
emulators_start() {
  local com
  for com in 6 7 8; do emulator_start_as "emulator$com" "$com" || return; done
}

# All three are told to end first, so that their endings overlap.
emulators_stop() {
  local com
  for com in 6 7 8; do
    alive "emulator$com" && kill "$(cat "$state/emulator$com.pid")"
  done
  for com in 6 7 8; do stop "emulator$com"; rm -f "$state/emulator$com.control"; done
}

# The emulator NAME (its files in the state folder are NAME.*) behind COM number COM.
emulator_start_as() {
  local name=$1 com=$2
  [ -x "$NOTAREL_EMULATOR" ] || {
    echo "fixture.sh: no emulator at $NOTAREL_EMULATOR: build the native rud003-emu and pass" >&2
    echo "  its path to the Windows build (cmake -DNOTAREL_EMULATOR=PATH)" >&2
    return 2
  }
  stop "$name"
  local out=$state/$name.out
  : >"$out"
  "$NOTAREL_EMULATOR" --link "$WINEPREFIX/dosdevices/com$com" --control-tcp 0 \
    --log "$state/$name.log" </dev/null >"$out" 2>"$state/$name.err" &
  echo $! >"$state/$name.pid"
  # Ready is what the emulator prints, so watch its output rather than guess a delay.
  wait_for 30 grep -qx READY "$out" || {
    echo "fixture.sh: the emulator did not report READY; its output:" >&2
    cat "$out" "$state/$name.err" >&2
    stop "$name"
    return 1
  }
  sed -n 's/^CONTROL //p' "$out" >"$state/$name.control"
  echo "emulator on COM$com ($(sed -n 's/^PTY //p' "$out")), control $(cat "$state/$name.control")"
}

register() {
  local flag=$1 dll=$2
  [ -f "$dll" ] || { echo "fixture.sh: missing $dll" >&2; return 2; }
  LC_ALL=ru_RU.UTF-8 wine_step regsvr32 regsvr32 $flag /s "Z:${dll//\//\\}"
  echo "regsvr32 $flag $dll"
}

case $action in
  locales) locales ;;
  display-start) display_start ;;
  display-stop) stop display; rm -f "$state/display" ;;
  server-start) server_start ;;
  server-stop) server_stop ;;
  emulator-start) emulator_start ;;
  emulator-stop) stop emulator; rm -f "$state/emulator.control" ;;
  emulators-start) emulators_start ;;
  emulators-stop) emulators_stop ;;
  register) register "" "$3" ;;
  unregister) register /u "$3" ;;
  *) echo "usage: $0 CONFIG locales|display-start|display-stop|server-start|server-stop|" \
       "emulator-start|emulator-stop|emulators-start|emulators-stop|register DLL|unregister DLL" >&2; exit 2 ;;
esac
