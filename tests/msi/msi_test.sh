#!/usr/bin/env bash
# Notarel.msi under Wine, in a fresh 64-bit prefix of its own:
#   tests/msi/msi_test.sh WIN32_BUILD_DIR DLL64 EMULATOR WORK_DIR
# Builds the package twice (the DLL's version and one build higher) into
# WORK_DIR, then checks from the far side (the prefix's system.reg, the files
# on disk, the emulator's log):
#   1. msiexec /i writes exactly the class keys and values that regsvr32 of the
#      same two DLLs writes in a copy of the fresh prefix, in both views;
#   2. a 32-bit and a 64-bit script host create RUDLib.Notarel2 by ProgID, each
#      gets the DLL of its own bitness and talks to the emulator behind COM5,
#      and Notaprobe opens its main window;
#   3. the higher version replaces every installed file in place and keeps the
#      settings files byte for byte;
#   4. msiexec /x leaves no key of the classes, ProgIDs, interfaces and type
#      library and no installed file, and the settings files remain.
# Where the host cannot execute 32-bit programs, the 32-bit DLL is installed
# and its keys checked, but nothing 32-bit runs (said so on the output).
set -euo pipefail
if [ $# -ne 4 ]; then
  echo "usage: $0 WIN32_BUILD_DIR DLL64 EMULATOR WORK_DIR" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/../.." && pwd)
here=$root/tests/msi
win32=$(cd "$1" && pwd)
dll64=$(realpath "$2")
emulator=$(realpath "$3")
work=$(realpath -m "$4")
[ -x "$emulator" ] || { echo "$0: no emulator at $emulator" >&2; exit 2; }

export WINEPREFIX=$work/prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset WINELOADER DISPLAY
logs=$work/logs
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
# NOTAREL_MSI_64_ONLY=1 runs what a host without 32-bit programs can.
run32=1
/usr/lib/wine/wine --version >/dev/null 2>&1 || run32=0
[ "${NOTAREL_MSI_64_ONLY:-0}" = 1 ] && run32=0

# wait_for SECONDS COMMAND...: whether the command succeeds within that time.
wait_for() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}

# wine_run NAME BITS PROGRAM...: a Wine program of that bitness, its output in
# logs/NAME.log; its exit status is returned. Wine's 32-bit loader would start a
# program named by a system32 path from syswow64, so 64-bit ones get wine64.
wine_run() {
  local name=$1 loader=/usr/lib/wine/wine64
  [ "$2" = 32 ] && loader=wine
  shift 2
  timeout --kill-after=10 180 "$loader" "$@" </dev/null >"$logs/$name.log" 2>&1
}
flush() { timeout 60 wineserver -w; }
classes() { flush; python3 "$here/classes_snapshot.py" "$WINEPREFIX/system.reg"; }
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# The work folder is wiped at each run: only one this test made before.
if [ -e "$work" ] && [ ! -f "$work/.msi-test" ]; then
  echo "$0: $work exists and is no work folder of this test" >&2
  exit 2
fi
rm -rf "$work"
mkdir -p "$logs"
: >"$work/.msi-test"
cleanup() {
  [ -f "$work/probe.pid" ] && kill "$(cat "$work/probe.pid")" 2>/dev/null || true
  [ -f "$work/display.pid" ] && kill "$(cat "$work/display.pid")" 2>/dev/null || true
  [ -f "$work/emulator.pid" ] && kill "$(cat "$work/emulator.pid")" 2>/dev/null || true
  WINEPREFIX=$work/prefix wineserver -k 2>/dev/null || true
  WINEPREFIX=$work/reference wineserver -k 2>/dev/null || true
}
trap cleanup EXIT

# The two packages: this version, and the same files one build higher.
version=$(sed -n 's/^FILEVERSION \([0-9]*\),\([0-9]*\),\([0-9]*\),.*/\1.\2.\3/p' \
  "$root/driver/automation/Notarel.rc")
next=${version%.*}.$((${version##*.} + 1))
bash "$root/scripts/build-msi.sh" "$win32" "$dll64" "$work/Notarel-$version.msi" "$version"
bash "$root/scripts/build-msi.sh" "$win32" "$dll64" "$work/Notarel-$next.msi" "$next"
product_code() { msiinfo export "$1" Property | tr -d '\r' | sed -n 's/^ProductCode\t//p'; }
code_old=$(product_code "$work/Notarel-$version.msi")
code_new=$(product_code "$work/Notarel-$next.msi")

echo "== fresh 64-bit prefix $WINEPREFIX"
timeout 300 /usr/lib/wine/wine64 wineboot -i </dev/null >"$logs/wineboot.log" 2>&1
flush
[ "$run32" = 1 ] || echo "== no 32-bit programs (this host cannot run them, or NOTAREL_MSI_64_ONLY):" \
  "only the 64-bit half runs"
# The script hosts register their own type library when they first run; they
# do it here, so that the snapshots below hold only what the package changes.
for bits in 64 32; do
  [ "$bits" = 64 ] || [ "$run32" = 1 ] || continue
  wine_run "warm-up-$bits" "$bits" cscript.exe //nologo "$(winpath "$here/installed_client.js")" \
    "$(winpath "$work/warm-up-$bits.txt")" 5 || true
done
flush
cp -a "$WINEPREFIX" "$work/reference"
classes >"$work/classes.fresh"

# The paths the package installs to.
dir32="$WINEPREFIX/drive_c/Program Files (x86)/Notarel"
dir64="$WINEPREFIX/drive_c/Program Files/Notarel"
installed=("$dir32/Notarel.dll" "$dir32/Notaprobe.exe" "$dir32/readme.txt" "$dir64/Notarel.dll")
sources=("$win32/driver/automation/Notarel.dll" "$win32/testapp/Notaprobe.exe"
         "$win32/testapp/dist_text/readme.txt" "$dll64")
# Wine's msiexec puts the shortcuts of a per-machine package into the user's
# Start menu; Windows into the common one.
start_menus=("$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
             "$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs")
shortcut() {
  local menu
  for menu in "${start_menus[@]}"; do
    [ -f "$menu/Notarel/Notaprobe.lnk" ] && echo "$menu/Notarel/Notaprobe.lnk"
  done
  return 0
}

echo "== reference: regsvr32 of the same DLLs in a copy of the fresh prefix"
(
  export WINEPREFIX=$work/reference
  ref32="$WINEPREFIX/drive_c/Program Files (x86)/Notarel"
  ref64="$WINEPREFIX/drive_c/Program Files/Notarel"
  mkdir -p "$ref32" "$ref64"
  cp "${sources[0]}" "$ref32/Notarel.dll"
  cp "$dll64" "$ref64/Notarel.dll"
  if [ "$run32" = 1 ]; then
    LC_ALL=ru_RU.UTF-8 wine_run regsvr32-32 32 'C:\windows\syswow64\regsvr32.exe' /s \
      'C:\Program Files (x86)\Notarel\Notarel.dll'
  fi
  LC_ALL=ru_RU.UTF-8 wine_run regsvr32-64 64 'C:\windows\system32\regsvr32.exe' /s \
    'C:\Program Files\Notarel\Notarel.dll'
  classes >"$work/classes.regsvr32"
)
# The keys and values the registration added to the fresh prefix.
added() { LC_ALL=C comm -13 "$work/classes.fresh" "$1"; }
added "$work/classes.regsvr32" >"$work/added.regsvr32"
if [ "$run32" = 0 ]; then
  # Without 32-bit programs only the 64-bit DLL was registered: compare its
  # part. The library's help folder is then the 64-bit DLL's, the package's
  # that of the 32-bit one (see packaging/registry_rows.py).
  only64() { grep -v -e 'wow6432node' -e '\\\\win32' -e '\\\\helpdir|' || true; }
else
  only64() { cat; }
fi
[ -s "$work/added.regsvr32" ] || fail "regsvr32 added no keys (see $logs/regsvr32-*.log)"

echo "== msiexec /i Notarel-$version.msi /qn"
LC_ALL=ru_RU.UTF-8 wine_run install 64 msiexec /i "$(winpath "$work/Notarel-$version.msi")" /qn &&
  pass "installed" || fail "msiexec /i failed; see $logs/install.log"
added "$(classes >"$work/classes.installed"; echo "$work/classes.installed")" | only64 \
  >"$work/added.installed"
if diff <(only64 <"$work/added.regsvr32") "$work/added.installed" >"$work/registry.diff"; then
  pass "the package wrote the keys regsvr32 writes ($(wc -l <"$work/added.installed") keys and values)"
else
  fail "the package's keys differ from regsvr32's (< regsvr32, > package):"
  cat "$work/registry.diff"
fi
for index in "${!installed[@]}"; do
  cmp -s "${installed[$index]}" "${sources[$index]}" ||
    fail "${installed[$index]} is not the built file"
done
# The top keys regsvr32 wrote (a class, interface or library, a ProgID), as
# reg.exe of each bitness sees them (Wine's 64-bit reg.exe with /reg:32 looks
# for the ProgIDs under Wow6432Node, where no 32-bit program puts them):
# query_keys present|gone answers whether every one of them is as expected,
# and names the first that is not.
top_keys() {
  grep -o '^software\\\\classes\\\\[^|]*' "$work/added.regsvr32" |
    sed 's/^software\\\\classes\\\\\(wow6432node\\\\\)\{0,1\}//; s/\\\\/\\/g' |
    sed -E 's/^((clsid|interface|typelib)\\[^\\]*|[^\\]*).*/\1/' | sort -u
}
query_keys() {
  local expect=$1 key view found
  for key in $(top_keys); do
    for view in 32 64; do
      [ "$view" = 32 ] && [ "$run32" = 0 ] && continue
      found=gone
      wine_run query "$view" reg.exe query "HKCR\\$key" && found=present
      [ "$found" = "$expect" ] || { echo "  HKCR\\$key is $found in the $view-bit view"; return 1; }
    done
  done
}
query_keys present && pass "reg query finds $(top_keys | wc -l) top keys in each view" ||
  fail "reg query does not find the package's keys"
shortcut=$(shortcut)
[ -n "$shortcut" ] && grep -aq 'Notaprobe.exe' "$shortcut" &&
  pass "files and the Start-menu shortcut in place" || fail "no Start-menu shortcut to Notaprobe"

echo "== clients against the emulator behind COM5"
: >"$work/emulator.out"
"$emulator" --link "$WINEPREFIX/dosdevices/com5" --control-tcp 0 --log "$work/emulator.log" \
  </dev/null >"$work/emulator.out" 2>"$work/emulator.err" &
echo $! >"$work/emulator.pid"
wait_for 30 grep -qx READY "$work/emulator.out" || fail "the emulator did not start"
# The pty line shim of the Wine tests, for both loaders (cmake/WineTests.cmake).
for multiarch in x86_64-linux-gnu:-m64 i386-linux-gnu:-m32; do
  mkdir -p "$work/lib/${multiarch%%:*}"
  cc "${multiarch##*:}" -O2 -shared -fPIC -nostdlib -ffreestanding \
    -o "$work/lib/${multiarch%%:*}/notarel_pty_line.so" "$root/tests/wine/pty_line_shim.c" \
    2>>"$logs/shim.log" || true
done
status_requests() { grep -c 'FC 05 11 27 56' "$work/emulator.log" || true; }

# client BITS NAME [save]: the script host of that bitness runs installed_client.js.
client() {
  local bits=$1 name=$2 host='C:\windows\system32\cscript.exe'
  [ "$bits" = 32 ] && host='C:\windows\syswow64\cscript.exe'
  LD_PRELOAD="$work/"'$LIB'"/notarel_pty_line.so" LC_ALL=ru_RU.UTF-8 wine_run "$name" "$bits" "$host" \
    //nologo "$(winpath "$here/installed_client.js")" "$(winpath "$work/$name.txt")" 5 "${@:3}" ||
    true
  tr -d '\r' <"$work/$name.txt" 2>/dev/null || echo "Error=no output (see $logs/$name.log)"
}
# check_client BITS NAME SETTINGS_FILE EXPECTED_PORT [save]: with save, the
# settings file beside the DLL the host loaded must appear where expected.
check_client() {
  local bits=$1 name=$2 file=$3 port=$4 before output
  before=$(status_requests)
  output=$(client "$bits" "$name" "${@:5}")
  echo "$output" | sed "s/^/  $name: /"
  [ -f "$file" ] || fail "$bits-bit host: no settings file $file (not the DLL of its bitness?)"
  grep -qx "LoadedPortNumber=$port" <<<"$output" || fail "$bits-bit host: settings port not $port"
  grep -qx 'ReadStatus=true' <<<"$output" || fail "$bits-bit host: ReadStatus failed"
  [ "$(status_requests)" -gt "$before" ] || fail "$bits-bit host: the emulator heard no request"
}
check_client 64 client64 "$dir64/Notarel.xml" 1 save
[ -f "$dir32/Notarel.xml" ] && fail "the 64-bit host saved beside the 32-bit DLL"
settings=("$dir64/Notarel.xml")
if [ "$run32" = 1 ]; then
  check_client 32 client32 "$dir32/Notarel.xml" 1 save
  settings+=("$dir32/Notarel.xml")
fi

if [ "$run32" = 1 ] && command -v Xvfb >/dev/null; then
  : >"$work/display.number"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display.number" \
    </dev/null >"$logs/xvfb.log" 2>&1 &
  echo $! >"$work/display.pid"
  wait_for 30 grep -q . "$work/display.number"
  # The server's desktop takes the display of the program that starts it.
  flush
  # Notaprobe creates the control as it starts and ends at once when it cannot.
  DISPLAY=:$(tr -d '[:space:]' <"$work/display.number") LC_ALL=ru_RU.UTF-8 \
    wine 'C:\Program Files (x86)\Notarel\Notaprobe.exe' </dev/null >"$logs/notaprobe.log" 2>&1 &
  echo $! >"$work/probe.pid"
  main_window() {
    DISPLAY=:$(tr -d '[:space:]' <"$work/display.number") xwininfo -root -tree \
      >"$work/windows.txt" 2>&1
    grep -q 'Тест драйвера RUD-003' "$work/windows.txt"
  }
  if wait_for 60 main_window; then pass "Notaprobe shows its main window"
  else fail "Notaprobe's main window did not appear"; fi
  kill "$(cat "$work/probe.pid")" 2>/dev/null || true
  wait "$(cat "$work/probe.pid")" 2>/dev/null || true
  rm -f "$work/probe.pid"
fi

echo "== upgrade: msiexec /i Notarel-$next.msi /qn"
failures_before=$failures
for file in "${settings[@]}"; do cp "$file" "$file.before"; done
# A second link to each file holds its inode while the upgrade runs: a file
# deleted and written again could otherwise get its old inode number back
# (ext4 reuses freed ones at once) and pass for untouched.
held=$work/held-before-upgrade
rm -rf "$held" && mkdir -p "$held"
declare -A held_link
held_count=0
for file in "${installed[@]}" "${settings[@]}"; do
  held_link[$file]=$held/$((held_count += 1))
  ln "$file" "${held_link[$file]}"
done
LC_ALL=ru_RU.UTF-8 wine_run upgrade 64 msiexec /i "$(winpath "$work/Notarel-$next.msi")" /qn &&
  pass "upgraded" || fail "msiexec /i of $next failed; see $logs/upgrade.log"
for index in "${!installed[@]}"; do
  file=${installed[$index]}
  if ! cmp -s "$file" "${sources[$index]}"; then fail "$file missing or not the built file"
  elif [ "$file" -ef "${held_link[$file]}" ]; then fail "$file was not replaced"; fi
done
for file in "${settings[@]}"; do
  cmp -s "$file" "$file.before" && [ "$file" -ef "${held_link[$file]}" ] ||
    fail "the upgrade changed the settings file $file"
  rm -f "$file.before"
done
rm -rf "$held"
uninstall_key='Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\'
flush
grep -qiF "[${uninstall_key}${code_old}]" "$WINEPREFIX/system.reg" &&
  fail "the old product $code_old is still installed"
grep -qiF "[${uninstall_key}${code_new}]" "$WINEPREFIX/system.reg" ||
  fail "the new product $code_new is not registered"
added "$(classes >"$work/classes.upgraded"; echo "$work/classes.upgraded")" | only64 |
  diff "$work/added.installed" - || fail "the upgraded package's keys differ"
# The settings the clients saved (port 5) are what the upgraded DLLs load.
check_client 64 client64-upgraded "$dir64/Notarel.xml" 5
[ "$run32" = 1 ] && check_client 32 client32-upgraded "$dir32/Notarel.xml" 5
[ "$failures" = "$failures_before" ] &&
  pass "files replaced, settings kept, product $code_old replaced by $code_new"

echo "== msiexec /x $code_new /qn"
LC_ALL=ru_RU.UTF-8 wine_run uninstall 64 msiexec /x "$code_new" /qn &&
  pass "removed" || fail "msiexec /x failed; see $logs/uninstall.log"
added "$(classes >"$work/classes.removed"; echo "$work/classes.removed")" >"$work/added.removed"
[ -s "$work/added.removed" ] && { fail "keys left after removal:"; cat "$work/added.removed"; }
# And as a client sees it, in each view.
query_keys gone || fail "reg query finds keys of the package after its removal"
for file in "${installed[@]}" $(shortcut); do
  [ -e "$file" ] && fail "$file is still there"
done
for menu in "${start_menus[@]}"; do
  [ -e "$menu/Notarel" ] && fail "the Start-menu folder $menu/Notarel is still there"
done
for file in "${settings[@]}"; do
  [ -f "$file" ] || fail "the removal deleted the settings file $file"
done
echo "== $failures failure(s)"
[ "$failures" = 0 ]
