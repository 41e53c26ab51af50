#!/usr/bin/env bash
# Builds the Windows installer package Notarel.msi with wixl (Debian package wixl):
#   scripts/build-msi.sh WIN32_BUILD_DIR DLL64 OUTPUT.msi [VERSION]
# WIN32_BUILD_DIR is the 32-bit Windows build (scripts/build-win32.sh), which
# gives Notarel.dll, Notaprobe.exe and the readme; DLL64 is the 64-bit
# Notarel.dll. VERSION (major.minor.build, the part Windows Installer compares
# for upgrades) defaults to the first three fields of the DLL's FILEVERSION.
# The package source is packaging/notarel.wxs; its Registry table gets the
# class, ProgID and type library rows of packaging/registry_rows.py.
set -euo pipefail
if [ $# -lt 3 ] || [ $# -gt 4 ]; then
  echo "usage: $0 WIN32_BUILD_DIR DLL64 OUTPUT.msi [VERSION]" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
win32=$(cd "$1" && pwd)
dll64=$(realpath "$2")
output=$(realpath -m "$3")
version=${4:-$(sed -n 's/^FILEVERSION \([0-9]*\),\([0-9]*\),\([0-9]*\),.*/\1.\2.\3/p' \
  "$root/driver/automation/Notarel.rc")}
dll32=$win32/driver/automation/Notarel.dll
probe=$win32/testapp/Notaprobe.exe
readme=$win32/testapp/dist_text/readme.txt
for file in "$dll32" "$dll64" "$probe" "$readme"; do
  [ -f "$file" ] || { echo "$0: missing $file" >&2; exit 2; }
done
command -v wixl >/dev/null && command -v msibuild >/dev/null || {
  echo "$0: wixl and msibuild are missing (Debian packages wixl and msitools)" >&2
  exit 2
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$(dirname "$output")"
# wixl takes sources relative to the package source's folder only.
mkdir "$work/x86" "$work/x64"
cp "$root/packaging/notarel.wxs" "$work/"
ln -s "$dll32" "$work/x86/Notarel.dll"
ln -s "$probe" "$work/x86/Notaprobe.exe"
ln -s "$readme" "$work/x86/readme.txt"
ln -s "$dll64" "$work/x64/Notarel.dll"
# wixl warns about attributes it does not know; the package is checked below.
(cd "$work" && wixl -a x64 -o "$output" -D Version="$version" -D Dll32=x86/Notarel.dll \
  -D Dll64=x64/Notarel.dll -D Probe=x86/Notaprobe.exe -D Readme=x86/readme.txt notarel.wxs) \
  2>"$work/wixl.log" || {
  cat "$work/wixl.log" >&2
  exit 1
}

# The help strings are Cyrillic: the database's code page becomes 1251 before
# the rows come in (libmsi reads an .idt in UTF-8 and stores it in that code
# page). The Registry table is replaced by wixl's own rows plus the generated ones.
printf '\r\n\r\n1251\t_ForceCodepage\r\n' >"$work/_ForceCodepage.idt"
msibuild "$output" -i "$work/_ForceCodepage.idt"
python3 "$root/packaging/registry_rows.py" "$root" "$work/generated.idt"
mkdir "$work/table"
msiinfo export "$output" Registry >"$work/table/Registry.idt"
tail -n +4 "$work/generated.idt" >>"$work/table/Registry.idt"
msibuild "$output" -i "$work/table/Registry.idt"

# Every generated row must name a component of the package and survive the
# import whole (libmsi drops what it cannot convert without a word).
components=$(msiinfo export "$output" Component | tail -n +4 | cut -f1 | sort -u)
tail -n +4 "$work/generated.idt" | cut -f6 | sort -u | while read -r component; do
  grep -qx "${component%$'\r'}" <<<"$components" || {
    echo "$0: Registry rows name the unknown component $component" >&2
    exit 1
  }
done
expected=$(sort "$work/table/Registry.idt")
actual=$(msiinfo export "$output" Registry | sort)
[ "$expected" = "$actual" ] || {
  echo "$0: the package's Registry table differs from the rows imported:" >&2
  diff <(echo "$expected") <(echo "$actual") >&2 || true
  exit 1
}
echo "built $output (version $version, $(tail -n +4 "$work/table/Registry.idt" | wc -l) registry rows)"
