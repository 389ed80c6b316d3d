#!/bin/sh
# Runs a cross-built Windows program under Wine: the emulator CTest puts in
# front of every Windows test, and the way the build runs zip.exe.
#   sh cmake/wine-run.sh program.exe [arguments]
# WINEPREFIX names the prefix; it is made on first use, with Wine's own fonts
# (Tahoma, MS Sans Serif) installed in it as Windows has them.
# For a Qt Test program (CORVANE_QTEST=1) the test log is written through a
# file and shown, since Wine passes nothing of it to our standard output;
# CORVANE_LEFT_OUT lists test functions not run here, and
# CORVANE_WINE_DISPLAY=1 runs it on a virtual X display with Qt's windows
# platform plugin instead of offscreen.
set -eu
wine=${CORVANE_WINE:-/usr/lib/wine/wine64}
say() { echo "wine-run.sh: $*" >&2; }
[ -x "$wine" ] || { say "$wine is missing: install wine64 (sh scripts/windows.sh does)"; exit 1; }
[ -n "${WINEPREFIX:-}" ] || { say "WINEPREFIX is not set"; exit 1; }
[ -d "${CORVANE_WINDOWS_SDK:-}/qt/bin" ] || { say "CORVANE_WINDOWS_SDK does not name the Windows SDK"; exit 1; }
export WINEDEBUG=${WINEDEBUG:--all}
# Command lines and file names beyond ASCII pass between Linux and Windows as UTF-8.
export LC_ALL=C.UTF-8
# The DLLs: the MinGW runtime and the SDK's Qt. Wine hands variables that
# begin with QT_ to Windows programs only when they are spelt WINEQT_.
runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
export WINEPATH="$runtime;/usr/x86_64-w64-mingw32/lib;$CORVANE_WINDOWS_SDK/qt/bin"
export WINEQT_PLUGIN_PATH="$CORVANE_WINDOWS_SDK/qt/plugins"
# Set but empty, it leaves the choice to the program.
export WINEQT_QPA_PLATFORM=${WINEQT_QPA_PLATFORM-offscreen}

# Made under a lock, so programs started together share one new prefix.
mkdir -p "$(dirname "$WINEPREFIX")"
(
  flock 9
  if [ ! -f "$WINEPREFIX/.corvane-ready" ]; then
    "$wine" wineboot -i >/dev/null 2>&1
    cp /usr/share/wine/fonts/*.ttf /usr/share/wine/fonts/*.fon "$WINEPREFIX/drive_c/windows/Fonts/"
    "${wine%/*}/wineserver" -w
    touch "$WINEPREFIX/.corvane-ready"
  fi
) 9>"$WINEPREFIX.lock"

program=$1
shift
if [ "${CORVANE_QTEST:-0}" != 1 ]; then
  exec "$wine" "$program" "$@"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/wine-run.XXXXXX")
trap 'rm -rf "$work"' EXIT
if [ "$#" -eq 0 ] && [ -n "${CORVANE_LEFT_OUT:-}" ]; then
  "$wine" "$program" -functions | tr -d '\r' | sed 's/()$//' >"$work/all"
  printf '%s\n' $CORVANE_LEFT_OUT >"$work/left-out"
  for f in $CORVANE_LEFT_OUT; do
    grep -qxF "$f" "$work/all" || { say "$f, to be left out, is not a test function of $program"; exit 1; }
    echo "left out here: $f"
  done
  set -- $(grep -vxF -f "$work/left-out" "$work/all")
fi
run() {
  if [ "${CORVANE_WINE_DISPLAY:-0}" = 1 ]; then
    # Wine's desktop keeps the display it started on: begin and end with no
    # Wine program running, so that none outlives its display.
    "${wine%/*}/wineserver" -w
    # The font engine the program itself asks for (platform/DesktopLook.cpp).
    WINEQT_QPA_PLATFORM=windows:fontengine=gdi xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" "$wine" "$program" "$@" || return
    "${wine%/*}/wineserver" -w
  else
    "$wine" "$program" "$@"
  fi
}
status=0
run "$@" -o "$work/log.txt,txt" >/dev/null 2>&1 || status=$?
cat "$work/log.txt" 2>/dev/null || say "$program wrote no test log"
exit "$status"
