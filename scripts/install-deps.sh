#!/usr/bin/env bash
# Installs what the native and the Windows builds and their tests need, and only
# what is missing, so it can run before every test run. Debian 12, as root.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive

native_packages=(cmake g++ clang googletest python3)
windows_packages=(wine wine32:i386 g++-mingw-w64-i686-posix mingw-w64-tools xvfb imagemagick locales
                  x11-utils)
# The 64-bit Notarel.dll is a deliverable too, tested under Wine's 64-bit loader.
windows_packages+=(wine64 g++-mingw-w64-x86-64-posix)
# The MSI package: wixl builds it, msitools (msiinfo, msibuild) reads and edits its tables.
windows_packages+=(wixl msitools)

missing_from() {
  local package
  for package in "$@"; do
    dpkg -s "$package" >/dev/null 2>&1 || echo "$package"
  done
}

# Another apt-get or dpkg (an unattended install, another job) holds the lock.
wait_for_dpkg() {
  while pgrep -x apt-get >/dev/null || pgrep -x dpkg >/dev/null; do sleep 5; done
}

wait_for_dpkg
updated=0
# A mirror in the middle of a sync serves an index that does not match its
# Release file, and apt-get update then fails for that index alone. A few
# tries a while apart usually see the sync through; after that the lists that
# did come are used, and install_missing below copes with the one that did not.
update_once() {
  [ "$updated" = 0 ] || return 0
  updated=1
  local try
  for try in 1 2 3; do
    echo "install-deps: apt-get update"
    apt-get update -qq && return 0
    [ "$try" = 3 ] || { echo "install-deps: apt-get update failed; again in 30 s"; sleep 30; }
  done
  echo "install-deps: apt-get update failed 3 times; going on with the lists it fetched"
}

# The release's own suite, whose lists agree across architectures.
release_suite() { . /etc/os-release && echo "${VERSION_CODENAME:-bookworm}"; }

install_missing() {
  local missing
  mapfile -t missing < <(missing_from "$@")
  [ "${#missing[@]}" -gt 0 ] || return 0
  update_once
  echo "install-deps: installing ${missing[*]}"
  apt-get install -y -qq "${missing[@]}" && return 0
  # When the security suite's list of one architecture could not be fetched,
  # its newer library versions exist for the other architecture only, and an
  # i386 library cannot be installed beside its amd64 twin. The release's own
  # suite has both at one version.
  echo "install-deps: apt-get install failed; again from the $(release_suite) suite"
  apt-get install -y -qq -t "$(release_suite)" "${missing[@]}"
}

# --native: only what the native build needs (the demo), not Wine and mingw.
if [ "${1:-}" = --native ]; then
  install_missing "${native_packages[@]}"
  echo "install-deps: done"
  exit 0
fi

# wine32 is an i386 package.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "install-deps: dpkg --add-architecture i386"
  dpkg --add-architecture i386
  update_once
fi

install_missing "${native_packages[@]}" "${windows_packages[@]}"
# The Debian package's test: dpkg-shlibdeps for its dependencies, man and groff for its pages.
install_missing dpkg-dev man-db groff-base
echo "install-deps: done"
