#!/usr/bin/env bash
# ctest's emulator for the Windows test programs: runs one program under Wine
# in the build's prefix,
#   run.sh CONFIG PROGRAM [ARGUMENTS...]
# with what the fixtures set up (fixture.sh): the virtual display (for the
# tests that ask for it), and the
# emulator behind COM5 (NOTAREL_EMU_COM and NOTAREL_EMU_CONTROL, the address of
# its control port, through which each test restarts it). Screenshots go to the
# build's screenshots folder (NOTAREL_SCREENSHOTS holds its Windows path).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=env.sh
source "$here/env.sh" "$1"
shift

if alive emulator; then
  NOTAREL_EMU_COM=5
  NOTAREL_EMU_CONTROL=$(cat "$state/emulator.control")
  export NOTAREL_EMU_COM NOTAREL_EMU_CONTROL
fi
# The emulators behind COM6 to COM8, when the tests of several acceptors asked
# for them, as NOTAREL_EMU_COM_1 to _3 and NOTAREL_EMU_CONTROL_1 to _3.
for com in 6 7 8; do
  if alive "emulator$com"; then
    export "NOTAREL_EMU_COM_$((com - 5))=$com"
    export "NOTAREL_EMU_CONTROL_$((com - 5))=$(cat "$state/emulator$com.control")"
  fi
done
# Only the programs that open windows see the display (NOTAREL_WINE_DISPLAY=1):
# a program without one fails where it would wait for a window nobody answers.
[ "${NOTAREL_WINE_DISPLAY:-0}" = 1 ] || unset DISPLAY
screenshots=$NOTAREL_WINE_BUILD/screenshots
mkdir -p "$screenshots"
export NOTAREL_SCREENSHOTS="Z:${screenshots//\//\\}"

# The pty parity shim (tests/wine/pty_line_shim.c), built with the tests for
# both loaders. Single quotes: ld.so itself expands $LIB.
export LD_PRELOAD="$state/"'$LIB'"/notarel_pty_line.so${LD_PRELOAD:+ $LD_PRELOAD}"
exec "$NOTAREL_WINE" "$@"
