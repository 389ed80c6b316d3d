#!/bin/sh
# Builds Corvane for 64-bit Windows on Debian 12: the portable folder
# build-windows/Corvane/ and build-windows/Corvane-0.9-win64.zip.
#   sh scripts/windows.sh          build
#   sh scripts/windows.sh --test   build, then run the Windows tests under Wine
# Qt, libdeflate, zlib and minizip for Windows are built once from Debian's
# own source packages into an SDK folder that later runs reuse:
# $CORVANE_WINDOWS_SDK, by default ~/.cache/corvane/windows-sdk.
set -eu
cd "$(dirname "$0")/.."
repo=$PWD
sdk=${CORVANE_WINDOWS_SDK:-${HOME:-/root}/.cache/corvane/windows-sdk}
run_tests=0
[ "${1:-}" = --test ] && run_tests=1
jobs=$(nproc 2>/dev/null || echo 2)
triple=x86_64-w64-mingw32

say() { echo "windows.sh: $*"; }
fail() { say "$*" >&2; exit 1; }

. "$repo/scripts/as-root.sh"

# --- what Debian provides ----------------------------------------------------
packages="g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 \
  cmake ninja-build make dpkg-dev pkg-config qt6-base-dev qt6-base-dev-tools perl python3 unzip xvfb xauth \
  xdotool imagemagick fonts-dejavu-core fonts-wine zip"
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
# The source packages come through an apt configuration of our own, pointing
# at the mirror this machine already uses; the system's lists stay untouched.
debian_mirror() {
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk '/^URIs:/ { print $2; exit }' "$f"
  done | grep -v security | head -n 1
  grep -hE '^deb +[a-z]' /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null \
    | awk '{ print $2 }' | grep -v security | head -n 1
}

fetch_sources() {
  src=$1
  apt=$sdk/apt
  mirror=$(debian_mirror | head -n 1)
  [ -n "$mirror" ] || fail "no Debian mirror found in /etc/apt to fetch source packages from"
  mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/parts" "$src"
  echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror bookworm main" >"$apt/sources.list"
  set -- -o Dir::Etc::SourceList="$apt/sources.list" -o Dir::Etc::SourceParts="$apt/parts" \
    -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt/cache" -o Debug::NoLocking=1
  apt-get "$@" -qq update
  (cd "$src" && apt-get "$@" -qq source qt6-base=6.4.2+dfsg-10 libdeflate zlib >/dev/null)
}

build_zlib_and_minizip() {
  dir=$(ls -d "$1"/zlib-*/ | head -n 1)
  out=$2/zlib
  rm -rf "$out" && mkdir -p "$out/minizip" "$sdk/include/minizip" "$sdk/lib/pkgconfig"
  for c in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate inftrees trees \
           uncompr zutil; do
    $triple-gcc-posix -O2 -c "$dir/$c.c" -o "$out/$c.o"
  done
  $triple-ar rcs "$sdk/lib/libz.a" "$out"/*.o
  cp "$dir/zlib.h" "$dir/zconf.h" "$sdk/include/"
  for c in ioapi zip unzip iowin32; do
    $triple-gcc-posix -O2 -I"$dir" -c "$dir/contrib/minizip/$c.c" -o "$out/minizip/$c.o"
  done
  $triple-ar rcs "$sdk/lib/libminizip.a" "$out"/minizip/*.o
  cp "$dir"/contrib/minizip/ioapi.h "$dir"/contrib/minizip/zip.h "$dir"/contrib/minizip/unzip.h \
     "$dir"/contrib/minizip/iowin32.h "$sdk/include/minizip/"
  cat >"$sdk/lib/pkgconfig/minizip.pc" <<PC
prefix=$sdk
Name: minizip
Description: zip and unzip on zlib
Version: 1.2.13
Cflags: -I\${prefix}/include -I\${prefix}/include/minizip
Libs: -L\${prefix}/lib -lminizip -lz
PC
}

build_libdeflate() {
  dir=$(ls -d "$1"/libdeflate-*/ | head -n 1)
  out=$2/libdeflate
  rm -rf "$out" && mkdir -p "$out"
  for c in "$dir"/lib/*.c "$dir"/lib/x86/*.c "$dir"/lib/arm/*.c; do
    [ -f "$c" ] || continue
    $triple-gcc-posix -O2 -I"$dir" -c "$c" -o "$out/$(basename "$(dirname "$c")")_$(basename "$c" .c).o"
  done
  $triple-ar rcs "$sdk/lib/libdeflate.a" "$out"/*.o
  cp "$dir/libdeflate.h" "$sdk/include/"
  cat >"$sdk/lib/pkgconfig/libdeflate.pc" <<PC
prefix=$sdk
Name: libdeflate
Description: fast deflate
Version: 1.14
Cflags: -I\${prefix}/include
Libs: -L\${prefix}/lib -ldeflate
PC
}

build_qt() {
  dir=$(ls -d "$1"/qt6-base-*/ | head -n 1)
  out=$2/qtbase
  cmake -S "$dir" -B "$out" -G Ninja -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$sdk/qt" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DBUILD_SHARED_LIBS=ON -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF \
    -DFEATURE_system_freetype=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
    -DFEATURE_system_doubleconversion=OFF \
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF -DFEATURE_dbus=OFF \
    -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_printsupport=OFF -DFEATURE_tabletevent=OFF \
    -DFEATURE_direct2d=OFF \
    >"$2/qt-configure.log" 2>&1 || { tail -40 "$2/qt-configure.log"; fail "Qt did not configure"; }
  cmake --build "$out" --parallel "$jobs" >"$2/qt-build.log" 2>&1 || { tail -40 "$2/qt-build.log"; fail "Qt did not build"; }
  cmake --install "$out" >/dev/null
}

if [ ! -f "$sdk/complete" ]; then
  say "building the Windows SDK into $sdk (once; about half an hour)"
  work=$sdk/work
  rm -rf "$sdk" && mkdir -p "$work"
  fetch_sources "$work/src"
  build_zlib_and_minizip "$work/src" "$work"
  build_libdeflate "$work/src" "$work"
  build_qt "$work/src" "$work"
  rm -rf "$work"
  touch "$sdk/complete"
fi

# --- Corvane for Windows -----------------------------------------------------
build=$repo/build-windows
testing=OFF
[ "$run_tests" -eq 1 ] && testing=ON
cmake -S "$repo" -B "$build/cmake" -G Ninja -DCMAKE_BUILD_TYPE=Release -Wno-dev \
  -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64.cmake" -DCORVANE_WINDOWS_SDK="$sdk" \
  -DCMAKE_PREFIX_PATH="$sdk/qt" -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DCMAKE_CROSSCOMPILING_EMULATOR="sh;$repo/cmake/wine-run.sh" -DBUILD_TESTING=$testing >/dev/null
cmake --build "$build/cmake"

# --- the portable folder and its zip -------------------------------------------
runtime="/usr/lib/gcc/$triple/12-posix /usr/$triple/lib"
folder=$build/Corvane
rm -rf "$folder" && mkdir -p "$folder/platforms" "$folder/styles"
cp "$build/cmake/corvane.exe" "$build/cmake/zip.exe" "$folder/"
cp "$sdk/qt/bin/Qt6Core.dll" "$sdk/qt/bin/Qt6Gui.dll" "$sdk/qt/bin/Qt6Widgets.dll" "$folder/"
cp "$sdk/qt/plugins/platforms/qwindows.dll" "$folder/platforms/"
cp "$sdk/qt/plugins/styles/qwindowsvistastyle.dll" "$folder/styles/"
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
  found=""
  for dir in $runtime; do
    [ -f "$dir/$dll" ] && { found=$dir/$dll; break; }
  done
  [ -n "$found" ] || fail "the MinGW runtime $dll was not found"
  cp "$found" "$folder/"
done
$triple-strip "$folder"/*.exe "$folder"/*.dll "$folder"/*/*.dll

export WINEPREFIX="$build/cmake/wine" CORVANE_WINDOWS_SDK="$sdk"
archive=$build/Corvane-0.9-win64.zip
rm -f "$archive"
# Our own archiver packs the program it belongs to.
(cd "$build" && sh "$repo/cmake/wine-run.sh" "$folder/zip.exe" -q -9 "Corvane-0.9-win64.zip" \
  $(find Corvane -type f | sort)) || fail "zip.exe could not pack $archive"
[ -f "$archive" ] || fail "zip.exe made no $archive"
say "made $archive"

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
say "Windows tests passed"
