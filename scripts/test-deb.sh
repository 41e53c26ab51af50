#!/usr/bin/env bash
# The Debian package of the Linux tools, checked from the far side: builds it
# in Release (build/deb by default) with cpack, checks the files it holds and
# its control fields, installs it with dpkg into a scratch root of its own (the
# host's system and package database are not touched), runs the installed
# programs from that root's PATH against the installed emulator, checks the
# manual pages with groff and man, removes the package again and looks for
# leftovers. Runs lintian on it when lintian is installed.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/deb}

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build "$build" -j2 --target notarel rud003-emu notarel_package_files >/dev/null
rm -f "$build"/notarel_*.deb
(cd "$build" && cpack -G DEB >cpack.log 2>&1) || { cat "$build/cpack.log"; exit 1; }
deb=$(echo "$build"/notarel_*.deb)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
arch=$(dpkg --print-architecture)

tmp=$(mktemp -d)
emu_pid=
cleanup() {
  [ -n "$emu_pid" ] && kill "$emu_pid" 2>/dev/null && wait "$emu_pid" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
problems=0
bad() {
  echo "test-deb: FAIL: $*" >&2
  problems=$((problems + 1))
}

echo "== $deb"
[ "$(basename "$deb")" = "notarel_${version}_${arch}.deb" ] || bad "file name $(basename "$deb")"

# Exactly these files, modes and owners.
dpkg-deb --contents "$deb" | awk '{ print $1, $2, $6 }' | sort >"$tmp/contents"
sort >"$tmp/expected" <<'EOF'
drwxr-xr-x root/root ./usr/
drwxr-xr-x root/root ./usr/bin/
-rwxr-xr-x root/root ./usr/bin/notarel
-rwxr-xr-x root/root ./usr/bin/rud003-emu
drwxr-xr-x root/root ./usr/share/
drwxr-xr-x root/root ./usr/share/doc/
drwxr-xr-x root/root ./usr/share/doc/notarel/
-rw-r--r-- root/root ./usr/share/doc/notarel/README.rud003-emu.md.gz
-rw-r--r-- root/root ./usr/share/doc/notarel/changelog.gz
-rw-r--r-- root/root ./usr/share/doc/notarel/copyright
drwxr-xr-x root/root ./usr/share/man/
drwxr-xr-x root/root ./usr/share/man/man1/
-rw-r--r-- root/root ./usr/share/man/man1/notarel.1.gz
-rw-r--r-- root/root ./usr/share/man/man1/rud003-emu.1.gz
EOF
diff -u "$tmp/expected" "$tmp/contents" || bad "the package's files differ from the list above"

# Control fields.
dpkg-deb --field "$deb"
field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = notarel ] || bad "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || bad "Version: $(field Version), the project's is $version"
[ "$(field Architecture)" = "$arch" ] || bad "Architecture: $(field Architecture)"
[[ $(field Maintainer) =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] || bad "Maintainer: $(field Maintainer)"
[[ $(field Depends) == *"libc6 (>= "* && $(field Depends) == *"libstdc++6 (>= "* ]] ||
  bad "Depends: $(field Depends) (the C and C++ runtimes, from dpkg-shlibdeps)"
[ "$(field Section)" = utils ] || bad "Section: $(field Section)"
[ "$(field Description | wc -l)" -ge 3 ] || bad "no long Description"
[ -z "$(field Description | awk 'length > 80')" ] || bad "Description lines longer than 80 characters"

# apt would install it here: its dependencies are satisfiable (a simulation).
apt-get install -s "./$deb" 2>/dev/null | grep -q "^Inst notarel (${version} " ||
  bad "apt-get install -s ./$deb would not install it"

# Installed by dpkg into a root of its own.
root=$tmp/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
# The scratch database lists none of the dependencies; apt has checked them above.
dpkg_root() { dpkg --root="$root" --log="$tmp/dpkg.log" --force-depends "$@" >>"$tmp/dpkg.out" 2>&1; }
dpkg_root -i "$deb" || bad "dpkg -i into the scratch root: $(cat "$tmp/dpkg.out")"
[ "$(dpkg-query --admindir="$root/var/lib/dpkg" -W -f='${Status} ${Version}' notarel)" = \
  "install ok installed $version" ] || bad "dpkg does not list it as installed"

for program in notarel rud003-emu; do
  if readelf -S "$root/usr/bin/$program" | grep -q '\.symtab'; then bad "$program is not stripped"; fi
done

zcat "$root/usr/share/doc/notarel/changelog.gz" 2>/dev/null | head -1 | grep -q "^notarel ($version) " ||
  bad "the changelog does not begin with this version"

# The installed programs, from the scratch root's PATH.
export PATH="$root/usr/bin:$PATH"
[ "$(command -v notarel)" = "$root/usr/bin/notarel" ] || bad "notarel is not found on the PATH"
notarel --help >"$tmp/help" || bad "notarel --help exits $?"
head -1 "$tmp/help" | grep -q '^usage: notarel' || bad "notarel --help prints no usage"
rud003-emu --control-tcp 0 --log "$tmp/emu.log" </dev/null >"$tmp/emu.out" 2>&1 &
emu_pid=$!
for _ in $(seq 200); do grep -q '^READY' "$tmp/emu.out" && break; sleep 0.05; done
pty=$(sed -n 's/^PTY //p' "$tmp/emu.out")
[ -n "$pty" ] || bad "the installed emulator did not start: $(cat "$tmp/emu.out")"
echo "== notarel --port $pty ReadStatus"
notarel --port "$pty" ReadStatus | tee "$tmp/status" || bad "notarel ReadStatus exits $?"
grep -q '^ReadStatus: true' "$tmp/status" || bad "ReadStatus did not succeed"
# What the emulator heard: the status request.
exec 4<>"/dev/tcp/127.0.0.1/$(sed -n 's/^CONTROL 127.0.0.1://p' "$tmp/emu.out")"
echo counters >&4
read -r -t 10 counters <&4 || counters=
exec 4>&-
requests=$(sed -n 's/.* requests=\([0-9]*\) .*/\1/p' <<<"$counters")
[ "${requests:-0}" -ge 1 ] || bad "the emulator's counters after ReadStatus: $counters"
grep -q 'FC 05 11 27 56' "$tmp/emu.log" || bad "the emulator's log shows no status request"
kill "$emu_pid"
wait "$emu_pid" || true
emu_pid=

# The manual pages: no groff warnings, and every option of each program's
# usage text is described in its page.
man_options() { man -l "$1" 2>/dev/null | grep -o -- '--[a-z][a-z-]*' | sort -u; }
for page in "$root"/usr/share/man/man1/*.1.gz; do
  warnings=$(zcat "$page" | groff -man -Tutf8 -ww -z 2>&1 >/dev/null)
  [ -z "$warnings" ] || bad "$(basename "$page"): groff warns: $warnings"
  man -l "$page" 2>/dev/null | grep -q '^NAME' || bad "$(basename "$page") has no NAME section"
done
grep -o -- '^  --[a-z][a-z-]*' "$tmp/help" | tr -d ' ' | sort -u >"$tmp/help-options"
man_options "$root/usr/share/man/man1/notarel.1.gz" >"$tmp/man-options"
missing=$(comm -23 "$tmp/help-options" "$tmp/man-options")
[ -z "$missing" ] || bad "notarel.1 does not describe $missing"
{ rud003-emu --no-such-option 2>&1 || true; } | grep -o -- '--[a-z][a-z-]*' | grep -vx -- --no-such-option |
  sort -u >"$tmp/emu-options"
man_options "$root/usr/share/man/man1/rud003-emu.1.gz" >"$tmp/man-options"
missing=$(comm -23 "$tmp/emu-options" "$tmp/man-options")
[ -z "$missing" ] || bad "rud003-emu.1 does not describe $missing"
[ "$(wc -l <"$tmp/emu-options")" -ge 10 ] || bad "the emulator's usage lists too few options to compare"
zcat "$root/usr/share/doc/notarel/README.rud003-emu.md.gz" | cmp -s - tools/emu/README.md ||
  bad "the packaged README is not tools/emu/README.md"

# Removal leaves no file of the package behind.
dpkg_root -r notarel || bad "dpkg -r in the scratch root: $(cat "$tmp/dpkg.out")"
leftovers=$(find "$root/usr" ! -type d 2>/dev/null || true)
[ -z "$leftovers" ] || bad "left after removal: $leftovers"

if command -v lintian >/dev/null; then
  echo "== lintian"
  lintian --no-tag-display-limit "$deb" || true
else
  echo "== lintian is not installed; not run"
fi

if [ "$problems" -gt 0 ]; then
  echo "test-deb: $problems problems" >&2
  exit 1
fi
echo "test-deb: the package is as it should be"
