#!/bin/sh
# Builds Corvane for 64-bit Windows: the portable folder
# build-windows/Corvane/, build-windows/Corvane-0.9-win64.zip and the
# per-user installer build-windows/Corvane-0.9-setup.exe.
#   sh scripts/windows.sh          build
#   sh scripts/windows.sh --test   build, then run the Windows tests under Wine
# The Windows program is always made in Debian 13, with its MinGW, Qt, NSIS
# and Wine: directly on Debian 13, and on Debian 12 inside a Debian 13 build
# root (scripts/debian13.sh). Qt, libdeflate, zlib and libzip for Windows are
# built once from Debian's own source packages into an SDK folder that later
# runs reuse: $CORVANE_WINDOWS_SDK, by default ~/.cache/corvane/windows-sdk.
set -eu
cd "$(dirname "$0")/.."
repo=$PWD
sdk=${CORVANE_WINDOWS_SDK:-${HOME:-/root}/.cache/corvane/windows-sdk}
run_tests=0
[ "${1:-}" = --test ] && run_tests=1
triple=x86_64-w64-mingw32

say() { echo "windows.sh: $*"; }
fail() { say "$*" >&2; exit 1; }

. "$repo/scripts/as-root.sh"

# --- where it is built ---------------------------------------------------------
release=$(. /etc/os-release && echo "${VERSION_ID:-0}" | cut -d. -f1)
if [ "$release" -lt 13 ] 2>/dev/null; then
  say "this is Debian $release: building in a Debian 13 build root"
  as_root env CORVANE_WINDOWS_SDK="$sdk" sh "$repo/scripts/debian13.sh" sh scripts/windows.sh "$@"
  # Made as root inside; yours again outside.
  [ "$(id -u)" -eq 0 ] || as_root chown -R "$(id -u):$(id -g)" "$repo/build-windows" "$sdk"
  exit 0
fi

# --- what Debian provides ----------------------------------------------------
packages="g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 \
  cmake ninja-build make dpkg-dev pkg-config qt6-base-dev qt6-base-dev-tools perl python3 unzip xvfb xauth \
  xdotool imagemagick fonts-dejavu-core fonts-wine zip nsis icoutils curl ca-certificates"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  say "installing:$missing"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
fi

# --- the SDK -----------------------------------------------------------------
sh "$repo/scripts/windows-sdk.sh" "$sdk"

# --- Corvane for Windows -----------------------------------------------------
build=$repo/build-windows
# A build configured against another SDK (another folder, another recipe)
# would keep what it found there: it starts anew.
made_with="$sdk $(cat "$sdk/recipe.sha256")"
if [ "$(cat "$build/cmake/.corvane-sdk" 2>/dev/null)" != "$made_with" ]; then
  rm -rf "$build/cmake"
  mkdir -p "$build/cmake"
  echo "$made_with" >"$build/cmake/.corvane-sdk"
fi
testing=OFF
[ "$run_tests" -eq 1 ] && testing=ON
cmake -S "$repo" -B "$build/cmake" -G Ninja -DCMAKE_BUILD_TYPE=Release -Wno-dev \
  -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64.cmake" -DCORVANE_WINDOWS_SDK="$sdk" \
  -DCMAKE_PREFIX_PATH="$sdk/qt" -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DCMAKE_CROSSCOMPILING_EMULATOR="sh;$repo/cmake/wine-run.sh" -DBUILD_TESTING=$testing >/dev/null
cmake --build "$build/cmake"
facts=$build/cmake/windows/facts.nsh
version=$(sed -n 's/^!define VERSION "\(.*\)"$/\1/p' "$facts")
[ -n "$version" ] || fail "the build wrote no version into $facts"

# --- the portable folder and its zip -------------------------------------------
folder=$build/Corvane
rm -rf "$folder" && mkdir -p "$folder/platforms" "$folder/styles"
cp "$build/cmake/corvane.exe" "$build/cmake/zip.exe" "$folder/"
cp "$sdk/qt/bin/Qt6Core.dll" "$sdk/qt/bin/Qt6Gui.dll" "$sdk/qt/bin/Qt6Widgets.dll" "$folder/"
cp "$sdk/qt/plugins/platforms/qwindows.dll" "$folder/platforms/"
# Qt's Windows styles ("windowsvista", "windows11") live in one plugin.
cp "$sdk/qt/plugins/styles/qmodernwindowsstyle.dll" "$folder/styles/"
# The compiler says where its runtime lies.
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
  found=$($triple-g++-posix -print-file-name="$dll")
  [ -f "$found" ] || fail "the MinGW runtime $dll was not found"
  cp "$found" "$folder/"
done
$triple-strip "$folder"/*.exe "$folder"/*.dll "$folder"/*/*.dll

export WINEPREFIX="$build/cmake/wine" CORVANE_WINDOWS_SDK="$sdk"
archive=$build/Corvane-$version-win64.zip
rm -f "$archive"
# Our own archiver packs the program it belongs to.
(cd "$build" && sh "$repo/cmake/wine-run.sh" "$folder/zip.exe" -q -9 "${archive##*/}" \
  $(find Corvane -type f | sort)) || fail "zip.exe could not pack $archive"
[ -f "$archive" ] || fail "zip.exe made no $archive"
say "made $archive"

# --- the installer -------------------------------------------------------------
# It installs the portable folder's files, and its uninstaller removes exactly
# those: both lists are made from the folder.
nsis=$build/nsis
rm -rf "$nsis" && mkdir -p "$nsis"
line() { printf '%s\n' "$2" >>"$nsis/$1"; }
for dir in $(cd "$folder" && find . -type d | sort); do
  sub=$(printf '%s' "${dir#.}" | tr / '\\')
  line files.nsh "SetOutPath \"\$INSTDIR$sub\""
  for file in $(find "$folder/${dir#./}" -maxdepth 1 -type f | sort); do
    line files.nsh "File \"$file\""
    line unfiles.nsh "Delete \"\$INSTDIR$sub\\${file##*/}\""
  done
done
for dir in $(cd "$folder" && find . -mindepth 1 -type d | sort -r); do
  line unfiles.nsh "RMDir \"\$INSTDIR\\$(printf '%s' "${dir#./}" | tr / '\\')\""
done
setup=$build/Corvane-$version-setup.exe
rm -f "$setup"
makensis -V2 -DFACTS="$facts" -DFILES="$nsis/files.nsh" -DUNFILES="$nsis/unfiles.nsh" -DOUTFILE="$setup" \
  "$repo/dist/windows/corvane.nsi" || fail "makensis could not make $setup"
say "made $setup"

[ "$run_tests" -eq 1 ] || exit 0
# --- the Windows tests, under Wine -----------------------------------------------
# One at a time: they share one Wine prefix and its registry.
(cd "$build/cmake" && ctest --output-on-failure --timeout 300) || fail "Windows tests failed"
# The real window, from the portable folder, on a virtual display of its own.
/usr/lib/wine/wineserver -w
# A prefix of its own, so that what it finds in the registry is its own doing.
export WINEPREFIX="$build/wine-window"
rm -rf "$WINEPREFIX" "$WINEPREFIX.lock"
sh "$repo/tests/smoke_window.sh" "$folder/corvane.exe" "$build/screenshot-windows.png" "$repo/cmake/wine-run.sh" \
  || fail "the window under Wine was not as it should be"
# The installer, in a fresh prefix: install, run, install over, uninstall.
/usr/lib/wine/wineserver -w
sh "$repo/tests/windows/installer_test.sh" "$setup" "$folder" "$build/wine-install" \
  || fail "the installer under Wine was not as it should be"
say "Windows tests passed"
