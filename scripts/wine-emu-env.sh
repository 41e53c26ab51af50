# Shared set-up of the scripts that run Windows test programs under Wine
# against the device emulator; meant to be sourced:
#   source scripts/wine-emu-env.sh NATIVE_BUILD_DIR WIN_BUILD_DIR WIN_PROGRAM
# WIN_PROGRAM (any program of the Windows build) decides between Wine's 32-
# and 64-bit loader. Sets up the build's prefix (scripts/wine-env.sh), starts a
# Wine server of our own and one emulator behind COM5 of the prefix, lists
# that port in the registry, preloads the pty parity shim, and installs an
# EXIT trap that ends the emulator and the server. Exports NOTAREL_WINE,
# NOTAREL_EMU_COM and NOTAREL_EMU_CONTROL and sets run_dir (the run's files)
# and arch (win32 or win64). Exits the calling script on failure.

notarel_emu_native_dir=$(cd "$1" && pwd)
notarel_emu_win_dir=$(cd "$2" && pwd)
notarel_emu_probe=$3
notarel_emu_scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
emulator=$notarel_emu_native_dir/tools/emu/rud003-emu
com_number=5

for f in "$emulator" "$notarel_emu_probe"; do
  [ -f "$f" ] || { echo "$0: missing $f" >&2; exit 2; }
done

# Machine type in the PE header: 0x014c is i386, 0x8664 is x86-64.
pe_machine() {
  local offset
  offset=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  od -An -tx2 -j$((offset + 4)) -N2 "$1" | tr -d ' '
}
case $(pe_machine "$notarel_emu_probe") in
  014c) arch=win32 ;;
  8664) arch=win64 ;;
  *) echo "$0: $notarel_emu_probe is not an i386 or x86-64 Windows program" >&2; exit 2 ;;
esac

# shellcheck source=wine-env.sh
source "$notarel_emu_scripts/wine-env.sh" "$notarel_emu_win_dir" "$arch"

run_dir=$notarel_emu_win_dir/wine-run
mkdir -p "$run_dir"
emu_out=$run_dir/emu.out
: >"$emu_out"
emu_pid=

cleanup() {
  if [ -n "$emu_pid" ] && kill -0 "$emu_pid" 2>/dev/null; then
    kill "$emu_pid"
    wait "$emu_pid" 2>/dev/null || true
  fi
  wineserver -k 2>/dev/null || true
}
trap cleanup EXIT

# Our own server, so that its messages go to a file: it opened the pty and gets
# SIGHUP when the emulator hangs up, on which it writes a dump of its objects.
# A server left over from an interrupted run of this prefix is ended first.
wineserver -k 2>/dev/null || true
wineserver -p 2>"$run_dir/wineserver.log"

# The server rebuilds the registry's list of serial ports from the devices it
# finds and keeps it only while it runs; the device search tests expect the
# emulator's port there, so it is added to the list of this server.
"$NOTAREL_WINE" reg add 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' /v NotarelTest /d "COM$com_number" /f \
  >"$run_dir/reg-add.log" 2>&1 || {
  echo "$0: could not list COM$com_number in the registry; see $run_dir/reg-add.log" >&2
  exit 1
}

"$emulator" --link "$WINEPREFIX/dosdevices/com$com_number" --control-tcp 0 \
  --log "$run_dir/emu.log" </dev/null >"$emu_out" 2>"$run_dir/emu.err" &
emu_pid=$!

# Ready is what the emulator prints, so watch its output rather than guess a delay.
for ((waited = 0; ; waited++)); do
  grep -qx READY "$emu_out" && break
  if ! kill -0 "$emu_pid" 2>/dev/null || [ "$waited" -ge 300 ]; then
    echo "$0: the emulator did not report READY; its output:" >&2
    cat "$emu_out" "$run_dir/emu.err" >&2
    exit 1
  fi
  sleep 0.1
done
control=$(sed -n 's/^CONTROL //p' "$emu_out")
export NOTAREL_EMU_COM=$com_number NOTAREL_EMU_CONTROL=$control
echo "emulator pid $emu_pid on COM$com_number ($(sed -n 's/^PTY //p' "$emu_out")), control $control"

# The emulator's line is a pseudo-terminal, which cannot hold even parity; see
# tests/wine/pty_line_shim.c (parity, and output purges). Built for both loaders; ld.so picks the one
# that matches each process through $LIB.
shim_source=$notarel_emu_scripts/../tests/wine/pty_line_shim.c
for multiarch in x86_64-linux-gnu:-m64 i386-linux-gnu:-m32; do
  mkdir -p "$run_dir/lib/${multiarch%%:*}"
  cc "${multiarch##*:}" -O2 -shared -fPIC -nostdlib -ffreestanding -o \
    "$run_dir/lib/${multiarch%%:*}/notarel_pty_line.so" "$shim_source" ||
    echo "$0: could not build the ${multiarch%%:*} parity shim; SetCommState may fail on the pty" >&2
done
# Single quotes: ld.so itself expands $LIB.
export LD_PRELOAD="$run_dir/"'$LIB'"/notarel_pty_line.so${LD_PRELOAD:+ $LD_PRELOAD}"
