# Wine settings for running the Windows build of the tests; meant to be sourced:
#   source scripts/wine-env.sh BUILD_DIR [win32|win64]
# Keeps the prefix under BUILD_DIR (wineprefix-win32 or wineprefix-win64) and
# creates it only when it is missing. win32 (the default) runs the 32-bit
# programs of the deliverable build; win64 runs a 64-bit build with Wine's
# 64-bit loader, for hosts whose kernel cannot execute 32-bit code.
# Sets NOTAREL_WINE to the command that runs a Windows program in that prefix.
# Returns non-zero, with the reason on stderr, when Wine cannot be used.

notarel_wine_env() {
  local build_dir=$1 arch=${2:-win32}
  if [ -z "$build_dir" ] || [ ! -d "$build_dir" ]; then
    echo "wine-env.sh: no such build directory: '$build_dir'" >&2
    return 2
  fi
  case $arch in
    win32) NOTAREL_WINE=wine; unset WINELOADER ;;
    win64) NOTAREL_WINE=/usr/lib/wine/wine64; export WINELOADER=$NOTAREL_WINE ;;
    *) echo "wine-env.sh: unknown architecture '$arch' (win32 or win64)" >&2; return 2 ;;
  esac
  export NOTAREL_WINE
  export WINEPREFIX="$(cd "$build_dir" && pwd)/wineprefix-$arch"
  export WINEARCH=$arch
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="

  # The 32-bit loader is an i386 program; some kernels (for example under
  # hypervisors without 32-bit user mode) refuse to execute it at all.
  if [ "$arch" = win32 ] && ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo "wine-env.sh: this host cannot run Wine's 32-bit loader (/usr/lib/wine/wine):" >&2
    /usr/lib/wine/wine --version 2>&1 | sed "s/^/  /" >&2 || true
    echo "  build the tests as 64-bit programs instead:" >&2
    echo "  NOTAREL_WIN_TOOLCHAIN=cmake/mingw-x86_64.cmake scripts/build-win32.sh DIR" >&2
    return 3
  fi

  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine-env.sh: creating the prefix $WINEPREFIX"
    timeout 300 "$NOTAREL_WINE" wineboot -i >/dev/null 2>&1 || {
      echo "wine-env.sh: wineboot failed in $WINEPREFIX" >&2
      return 4
    }
    timeout 120 wineserver -w
  fi
}

notarel_wine_env "$@"
