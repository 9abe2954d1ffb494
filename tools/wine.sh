# Running the Windows builds under Wine; sourced by tools/test, tools/demo
# and bench/install_time.

# Whether this machine executes 32-bit x86 code (some kernels have the
# 32-bit emulation switched off, and 32-bit Wine cannot start there).
runs_32_bit() { /usr/lib/wine/wineserver32 --version >/dev/null 2>&1; }

# choose_wine: the build that runs here and its Wine. The shipped 32-bit
# build (build/win) with 32-bit Wine where it can run, else the same sources
# built for 64-bit Windows (build/win64) under 64-bit Wine. Sets WIN_BUILD,
# WIN_TOOLCHAIN, WINELOADER and WIN_WAY (the way taken and why, to print).
# TESMO_WINE=64 takes the 64-bit way on a machine that could run both, to
# try that way there.
choose_wine() {
  if [ "${TESMO_WINE:-}" = 64 ]; then
    WIN_BUILD=build/win64 WIN_TOOLCHAIN=mingw64 WINELOADER=/usr/lib/wine/wine64
    WIN_WAY="64-bit build under 64-bit Wine (chosen by TESMO_WINE=64)"
  elif runs_32_bit; then
    WIN_BUILD=build/win WIN_TOOLCHAIN=mingw32 WINELOADER=/usr/lib/wine/wine
    WIN_WAY="shipped 32-bit build under 32-bit Wine"
  else
    WIN_BUILD=build/win64 WIN_TOOLCHAIN=mingw64 WINELOADER=/usr/lib/wine/wine64
    WIN_WAY="64-bit build under 64-bit Wine (this kernel runs no 32-bit code)"
  fi
  export WINELOADER
}

# wine_prefix FOLDER [LOG]: uses the Wine prefix FOLDER, creating it when
# it is missing; its boot messages go to LOG (default /dev/null).
wine_prefix() {
  local log=${2:-/dev/null}
  # No Mono or Gecko: nothing here needs them, and their installers would
  # ask questions. No menu builder: links made in the prefix would turn
  # into menu entries of the machine's own desktop.
  export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "== creating the Wine prefix $WINEPREFIX"
    if ! "$WINELOADER" wineboot -i >>"$log" 2>&1; then
      echo "wineboot failed (the end of $log:)" >&2
      tail -n 20 "$log" >&2
      return 1
    fi
    wineserver -w
  fi
}

# wine_unmanaged [LOG]: for a virtual display, which has no window manager.
# Wine would wait about 2 s for each managed top-level window there and
# draw no frames; unmanaged windows need no wait, and Wine draws their
# captions and frames itself.
wine_unmanaged() {
  [ -f "$WINEPREFIX/.unmanaged" ] && return 0
  "$WINELOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >>"${1:-/dev/null}" 2>&1
  wineserver -w
  touch "$WINEPREFIX/.unmanaged"
}

# windows_path PATH: an absolute host path as Windows programs in Wine see
# it, through drive Z:.
windows_path() {
  local path
  path=$(realpath -m "$1")
  printf 'Z:%s' "${path//\//\\}"
}
