#!/bin/sh
# Installs the build into a temporary root, starts the installed program on a
# virtual display, checks the desktop entry and icons, and builds the Debian
# package from the same rules into a temporary folder.
#   install_test.sh <build dir> <cmake> <cpack>
set -u
build=$1 cmake=$2 cpack=$3
title="Corvane For Quake 3 - Version: 0.9"

if ! command -v xvfb-run >/dev/null 2>&1; then
  echo "SKIP: xvfb-run is missing (package xvfb)"
  exit 77
fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

root=$tmp/root
if ! DESTDIR=$root "$cmake" --install "$build" --prefix /usr >"$tmp/install.log" 2>&1; then
  cat "$tmp/install.log"
  echo "FAIL: cmake --install"
  exit 1
fi

prog=$root/usr/lib/corvane/corvane
launcher=$root/usr/bin/corvane
zipexe=$root/usr/lib/corvane/zip.exe

[ -x "$prog" ] && [ ! -L "$prog" ] && pass "program in lib/corvane" || fail "no program at $prog"
if [ -x "$launcher" ] && [ "$(readlink -f "$launcher")" = "$(readlink -f "$prog")" ]; then
  pass "bin/corvane starts lib/corvane/corvane"
else
  fail "bin/corvane does not lead to $prog"
fi
if [ -x "$zipexe" ] && { "$zipexe" -h >/dev/null 2>&1 || "$zipexe" -v >/dev/null 2>&1; }; then
  pass "zip.exe beside the program answers"
else
  fail "zip.exe beside the program is missing or does not answer"
fi
[ ! -L "$zipexe" ] && pass "zip.exe is our own archiver" || fail "zip.exe is a link, not our archiver"

desktop=$root/usr/share/applications/corvane.desktop
if [ -f "$desktop" ] && desktop-file-validate "$desktop"; then
  pass "desktop entry is valid"
else
  fail "desktop entry missing or invalid"
fi
for key in "Name=Corvane" "Exec=corvane" "Icon=corvane" "Categories=Development;Game;"; do
  grep -qx "$key" "$desktop" 2>/dev/null || fail "desktop entry lacks $key"
done
for size in 32 48 64 128 256; do
  icon=$root/usr/share/icons/hicolor/${size}x${size}/apps/corvane.png
  file "$icon" 2>/dev/null | grep -q "PNG image data, $size x $size," \
    && pass "icon $size px" || fail "icon $size px missing or of the wrong size"
done
[ -f "$root/usr/share/icons/hicolor/scalable/apps/corvane.svg" ] || fail "scalable icon missing"

# Start the installed launcher with a private home, so nothing touches the
# user's own settings, and wait for the main window.
mkdir -p "$tmp/home" "$tmp/config" "$tmp/data" "$tmp/cache" "$tmp/runtime"
chmod 700 "$tmp/runtime"
cat >"$tmp/start.sh" <<'EOS'
"$1" & pid=$!
found=1
if timeout 30 xdotool search --sync --name "$2" >/dev/null; then found=0; fi
exe=$(readlink "/proc/$pid/exe")
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
[ "$found" -eq 0 ] || { echo "window did not appear"; exit 1; }
[ "$exe" = "$3" ] || { echo "running $exe instead of $3"; exit 1; }
EOS
if env -u QT_QPA_PLATFORM HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/config" \
     XDG_DATA_HOME="$tmp/data" XDG_CACHE_HOME="$tmp/cache" XDG_RUNTIME_DIR="$tmp/runtime" \
     xvfb-run -a sh "$tmp/start.sh" "$launcher" "$title" "$(readlink -f "$prog")"; then
  pass "installed program shows its window"
else
  fail "installed program did not show its window"
fi

# The package is built into the temporary folder; the build folder is only read.
if "$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$tmp/pkg" >"$tmp/cpack.log" 2>&1; then
  deb=$(ls "$tmp"/pkg/corvane_*.deb 2>/dev/null | head -n 1)
else
  deb=""
fi
if [ -z "$deb" ]; then
  cat "$tmp/cpack.log"
  fail "cpack -G DEB made no package"
else
  pass "package $(basename "$deb")"
  depends=$(dpkg-deb -f "$deb" Depends)
  echo "Depends: $depends"
  echo "$depends" | grep -q "libqt6widgets6" || fail "Depends lacks libqt6widgets6"
  [ "$(dpkg-deb -f "$deb" Package)" = corvane ] || fail "package is not named corvane"
  [ "$(dpkg-deb -f "$deb" Version)" = 0.9 ] || fail "package version is not 0.9"
  dpkg-deb -c "$deb" | awk '{print $6}' >"$tmp/contents"
  for path in ./usr/lib/corvane/corvane ./usr/lib/corvane/zip.exe ./usr/bin/corvane \
              ./usr/share/applications/corvane.desktop \
              ./usr/share/icons/hicolor/32x32/apps/corvane.png \
              ./usr/share/icons/hicolor/256x256/apps/corvane.png; do
    grep -qx "$path" "$tmp/contents" || fail "package lacks $path"
  done
fi

[ "$failures" -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "all install checks passed"
