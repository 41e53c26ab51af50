#!/usr/bin/env bash
# Both controls side by side in one 64-bit (WoW64) Wine prefix, as on a 64-bit
# Windows: the 32-bit Notarel.dll registered by syswow64\regsvr32 into the
# 32-bit registry view, the 64-bit one by system32\regsvr32 into the native
# view, both by the release bundle's register.cmd in the bundle's layout
# (x64\Notarel.dll beside Notarel.dll); then the 32-bit and the 64-bit script
# host each create RUDLib.Notarel2 by ProgID against the emulator behind the
# prefix's COM5 and must read the same answers. Each DLL has a settings file
# beside it that names a different country, so what a host reads shows which
# module it loaded. Removing the 64-bit one leaves the 32-bit one working, and
# unregister.cmd (from a 32-bit cmd) leaves no class key in either view.
#   side_by_side.sh CONFIG DLL32 DLL64 SCRIPT BUNDLE_SOURCE
# BUNDLE_SOURCE is the folder of the bundle's command files.
# CONFIG is the 64-bit build's wine-tests.env; ctest's fixtures have started
# its Wine server and the emulator. On a host that cannot execute 32-bit
# programs only the 64-bit half runs, and the test says so.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
wine_scripts=$(cd "$here/../../cmake/wine" && pwd)
config=$1 dll32=$2 dll64=$3 script=$4 bundle=$5
# shellcheck source=../../cmake/wine/env.sh
source "$wine_scripts/env.sh" "$config"
[ "$NOTAREL_WINE_ARCH" = win64 ] || { echo "side_by_side.sh: needs the 64-bit build's prefix" >&2; exit 2; }
export LC_ALL=ru_RU.UTF-8
com=5  # the fixture's emulator port
clsid='{7EB7310A-A4A9-41E9-93D1-4A3B76B73F11}'
libid='{531FB110-ECA4-4144-B2C4-854EABF5F194}'
iid4='{D21EA04D-54D2-407B-8762-1F8F2C37B4DD}'  # IWBA003_4
work=$NOTAREL_WINE_BUILD/side-by-side
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# Per platform (32 or 64): its system folder, the DLL's folder (the bundle's
# layout), the other platform.
system_of() { [ "$1" = 32 ] && echo syswow64 || echo system32; }
folder_of() { [ "$1" = 32 ] && echo "$work" || echo "$work/x64"; }
other_of() { [ "$1" = 32 ] && echo 64 || echo 32; }
winpath() { local p=$1; echo "Z:${p//\//\\}"; }
# A Windows program of the prefix, its output (CR removed) in $work/NAME.out.
run() {
  local name=$1
  shift
  timeout --kill-after=10 120 bash "$wine_scripts/run.sh" "$config" "$@" </dev/null \
    >"$work/$name.raw" 2>"$work/$name.err" || true
  tr -d '\r' <"$work/$name.raw" >"$work/$name.out"
}
# The default value of a key as a 32-bit or a 64-bit program sees it (BITS 32
# or 64), or nothing: reg.exe of that platform, under the C locale, so that its
# output is English ASCII. (Wine's 64-bit reg /reg:32 does not see the keys
# both views share, such as the ProgIDs, which a 32-bit program does see.)
reg_default() {
  LC_ALL=C run "reg$2" "C:\\windows\\$(system_of "$2")\\reg.exe" query "$1" /ve
  if ! grep -q 'REG_SZ\|Unable to find the specified registry key' "$work/reg$2.out"; then
    echo "<reg query failed: $(head -c 200 "$work/reg$2.out" "$work/reg$2.err")>"
    return
  fi
  sed -n 's/^ *(Default) *REG_SZ *//p' "$work/reg$2.out" | head -n 1
}
expect_equal() {
  if [ "$2" = "$3" ]; then echo "ok: $1: $2"; else fail "$1: '$2', expected '$3'"; fi
}
# Restarts the emulator through its control port, so that each host finds the
# device in its power-up state.
emulator_restart() {
  local address port reply
  address=$(cat "$state/emulator.control")
  port=${address##*:}
  exec 3<>"/dev/tcp/127.0.0.1/$port"
  echo restart >&3
  read -r reply <&3
  exec 3<&-
  [ "${reply#OK}" != "$reply" ] || fail "emulator answered restart with '$reply'"
}
# Status requests the emulator received so far (its log: one line a frame).
status_requests() { grep -c 'FC 05 11 27 56' "$state/emulator.log" || true; }

settings_file() {
  local name=$1 code=$2
  printf '%s\r\n' '<?xml version="1.0" encoding="Windows-1251" ?>' '<settings>' \
    '  <ConnectionParams>' "    <PortNumber>$com</PortNumber>" '    <BaudRate>9600</BaudRate>' \
    '  </ConnectionParams>' '  <CountryDenominations>' \
    "    <CurrentCountryCode>$code</CurrentCountryCode>" '    <Country>' \
    "      <CountryName>$name</CountryName>" "      <CountryCode>$code</CountryCode>" \
    '      <CurrencyName0>XTS</CurrencyName0>' '      <Bills>' '        <Bill>' \
    '          <Code>1</Code>' '          <Value>10</Value>' '        </Bill>' '      </Bills>' \
    '    </Country>' '  </CountryDenominations>' '</settings>'
}

halves=(64)
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  halves=(32 64)
else
  echo "NOTE: this host cannot execute 32-bit programs: only the 64-bit half runs"
fi

rm -rf "$work"
mkdir -p "$work/x64"
[ "${#halves[@]}" = 1 ] || cp "$dll32" "$work/Notarel.dll"
cp "$dll64" "$work/x64/Notarel.dll"
settings_file SideBySide32 32 >"$work/Notarel.xml"
settings_file SideBySide64 64 >"$work/x64/Notarel.xml"
cp "$script" "$work/notarel_host.js"
for file in register.cmd unregister.cmd; do sed 's/$/\r/' "$bundle/$file" >"$work/$file"; done


register() {
  local bits=$1 flag=${2:-}
  run "regsvr32-$bits" "C:\\windows\\$(system_of "$bits")\\regsvr32.exe" $flag /s \
    "$(winpath "$(folder_of "$bits")/Notarel.dll")"
}

# The bundle's command file where both halves run; it needs the 32-bit regsvr32.
if [ "${#halves[@]}" = 2 ]; then
  run register.cmd cmd /c "$(winpath "$work/register.cmd")" /s
else
  register 64
fi

echo "== the registry in each view"
for bits in "${halves[@]}"; do
  dll=$(winpath "$(folder_of "$bits")/Notarel.dll")
  expect_equal "view $bits: CLSID\\$clsid\\InprocServer32" \
    "$(reg_default "HKCR\\CLSID\\$clsid\\InprocServer32" "$bits")" "$dll"
  expect_equal "view $bits: RUDLib.Notarel2\\Clsid" "$(reg_default 'HKCR\RUDLib.Notarel2\Clsid' "$bits")" \
    "$clsid"
  expect_equal "TypeLib\\$libid\\1.0\\409\\win$bits" \
    "$(reg_default "HKCR\\TypeLib\\$libid\\1.0\\409\\win$bits" "$bits")" "$dll"
done

echo "== each script host creates RUDLib.Notarel2 by ProgID"
for bits in "${halves[@]}"; do
  emulator_restart
  before=$(status_requests)
  run "host$bits" "C:\\windows\\$(system_of "$bits")\\cscript.exe" //nologo \
    "$(winpath "$work/notarel_host.js")" "$com"
  echo "-- $(system_of "$bits")\\cscript.exe read:"
  sed 's/^/   /' "$work/host$bits.out"
  expect_equal "status requests the emulator received from the $bits-bit host" \
    "$(($(status_requests) - before))" 1
  value() { sed -n "s/^$1=//p" "$work/host$bits.out"; }
  dir=$(winpath "$(folder_of "$bits")")
  expect_equal "$bits-bit host: server in its view" "$(value InprocServer32)" "$dir\\Notarel.dll"
  expect_equal "$bits-bit host: settings file loaded" "$(value FileName)" "$dir\\Notarel.xml"
  expect_equal "$bits-bit host: LoadParams' code" "$(value LoadParams.ResultCode)" 0
  expect_equal "$bits-bit host: country of its own settings file" \
    "$(value CountryName) $(value CountryCode)" "SideBySide$bits $bits"
  expect_equal "$bits-bit host: ReadStatus" "$(value ReadStatus) $(value ResultCode)" "true 0"
  expect_equal "$bits-bit host: request sent" "$(value Output)" "FC 05 11 27 56"
  expect_equal "$bits-bit host: ReadModelID" "$(value ReadModelID)" true
  expect_equal "$bits-bit host: ErrorTimeout read back" "$(value ErrorTimeout)" 4321
  grep -v '^\(InprocServer32\|FileName\|CountryName\|CountryCode\)=' "$work/host$bits.out" \
    >"$work/host$bits.common"
done
if [ "${#halves[@]}" = 2 ]; then
  if cmp -s "$work/host32.common" "$work/host64.common"; then
    echo "ok: both hosts read the same answers"
  else
    fail "the hosts read different answers:"
    diff "$work/host32.common" "$work/host64.common" || true
  fi
fi

echo "== removing one leaves the other"
first=${halves[-1]}
register "$first" /u
expect_equal "view $first: CLSID\\$clsid after regsvr32 /u" \
  "$(reg_default "HKCR\\CLSID\\$clsid\\InprocServer32" "$first")" ""
expect_equal "TypeLib\\$libid\\1.0\\409\\win$first after regsvr32 /u" \
  "$(reg_default "HKCR\\TypeLib\\$libid\\1.0\\409\\win$first" "$first")" ""
if [ "${#halves[@]}" = 1 ]; then
  expect_equal "RUDLib.Notarel2 after regsvr32 /u" "$(reg_default 'HKCR\RUDLib.Notarel2\Clsid' 64)" ""
else
  other=$(other_of "$first")
  dll=$(winpath "$(folder_of "$other")/Notarel.dll")
  expect_equal "view $other: CLSID\\$clsid still" \
    "$(reg_default "HKCR\\CLSID\\$clsid\\InprocServer32" "$other")" "$dll"
  expect_equal "view $other: RUDLib.Notarel2 still" \
    "$(reg_default 'HKCR\RUDLib.Notarel2\Clsid' "$other")" "$clsid"
  expect_equal "view $other: Interface\\$iid4 still" \
    "$(reg_default "HKCR\\Interface\\$iid4" "$other")" IWBA003_4
  expect_equal "TypeLib\\$libid\\1.0\\409\\win$other still" \
    "$(reg_default "HKCR\\TypeLib\\$libid\\1.0\\409\\win$other" "$other")" "$dll"
  emulator_restart
  run "host$other.again" "C:\\windows\\$(system_of "$other")\\cscript.exe" //nologo \
    "$(winpath "$work/notarel_host.js")" "$com"
  expect_equal "$other-bit host after the other's removal: ReadStatus" \
    "$(sed -n 's/^ReadStatus=//p' "$work/host$other.again.out")" true
  # From a 32-bit cmd, as a 32-bit installer runs it: the native regsvr32 is
  # then reached through Sysnative.
  run unregister.cmd 'C:\windows\syswow64\cmd.exe' /c "$(winpath "$work/unregister.cmd")" /s
  for bits in 32 64; do
    for key in "CLSID\\$clsid\\InprocServer32" 'RUDLib.Notarel2\Clsid' "Interface\\$iid4" \
               "TypeLib\\$libid\\1.0\\409\\win$bits"; do
      expect_equal "view $bits: HKCR\\$key at the end" "$(reg_default "HKCR\\$key" "$bits")" ""
    done
  done
fi

if [ "$failures" -gt 0 ]; then
  echo "side by side: $failures check(s) failed; outputs in $work"
  exit 1
fi
echo "side by side: all checks passed (${halves[*]}-bit)"
