#!/bin/sh
# Makes the Windows SDK that the cross-build links against: Qt, libdeflate,
# zlib and libzip, built with MinGW-w64 from Debian's own source packages, on
# Debian 13 (scripts/windows.sh sees to that).
#   sh scripts/windows-sdk.sh SDK-FOLDER
# The SDK carries a stamp of the recipe that made it: this file, the toolchain
# file, the source versions and the compilers. A folder with another stamp, or
# none, is built anew, so a changed recipe is proven by a build from nothing.
set -eu
cd "$(dirname "$0")/.."
repo=$PWD
sdk=$1
jobs=$(nproc 2>/dev/null || echo 2)
triple=x86_64-w64-mingw32
# Qt from Debian 13 with its security fixes, of the same version as the host
# tools it is built with. libdeflate and libzip come from Debian 12's source
# packages: those are the ones of theirs the archive serves whole.
sources="qt6-base=6.8.2+dfsg-9+deb13u2 zlib=1:1.3.dfsg+really1.3.1-1 libdeflate=1.14-1 libzip=1.7.3-1"

say() { echo "windows-sdk.sh: $*"; }
fail() { say "$*" >&2; exit 1; }

stamp() {
  {
    cat "$repo/scripts/windows-sdk.sh" "$repo/cmake/mingw-w64.cmake"
    $triple-gcc-posix --version | head -n 1
    $triple-g++-posix --version | head -n 1
    dpkg-query -W -f='${Package} ${Version}\n' qt6-base-dev-tools binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  } | sha256sum | cut -d' ' -f1
}

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
  for suite in trixie bookworm; do
    echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror $suite main"
  done >"$apt/sources.list"
  set -- -o Dir::Etc::SourceList="$apt/sources.list" -o Dir::Etc::SourceParts="$apt/parts" \
    -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt/cache" -o Debug::NoLocking=1 -o APT::Sandbox::User=root
  apt-get "$@" -qq update
  # shellcheck disable=SC2086
  (cd "$src" && apt-get "$@" -qq source $sources >/dev/null) || fail "could not fetch the sources $sources"
}

build_zlib() {
  dir=$(ls -d "$1"/zlib-*/ | head -n 1)
  out=$2/zlib
  rm -rf "$out" && mkdir -p "$out" "$sdk/include" "$sdk/lib/pkgconfig"
  for c in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate inftrees trees \
           uncompr zutil; do
    $triple-gcc-posix -O2 -c "$dir/$c.c" -o "$out/$c.o"
  done
  $triple-ar rcs "$sdk/lib/libz.a" "$out"/*.o
  cp "$dir/zlib.h" "$dir/zconf.h" "$sdk/include/"
}

# Static, without the encryption and the other compressions it can have:
# Corvane reads stored and deflated entries only. Its Windows file sources
# hand the wide-character functions over as functions of void pointers, which
# GCC 14 no longer takes without being told.
build_libzip() {
  dir=$(ls -d "$1"/libzip-*/ | head -n 1)
  out=$2/libzip
  cmake -S "$dir" -B "$out" -G Ninja -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64.cmake" -DCORVANE_WINDOWS_SDK="$sdk" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$sdk" -DBUILD_SHARED_LIBS=OFF \
    -DCMAKE_C_FLAGS="-Wno-error=incompatible-pointer-types" \
    -DZLIB_INCLUDE_DIR="$sdk/include" -DZLIB_LIBRARY="$sdk/lib/libz.a" \
    -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF -DENABLE_ZSTD=OFF -DENABLE_COMMONCRYPTO=OFF -DENABLE_GNUTLS=OFF \
    -DENABLE_MBEDTLS=OFF -DENABLE_OPENSSL=OFF -DENABLE_WINDOWS_CRYPTO=OFF \
    -DBUILD_TOOLS=OFF -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_DOC=OFF \
    >"$2/libzip-configure.log" 2>&1 || { tail -40 "$2/libzip-configure.log"; fail "libzip did not configure"; }
  cmake --build "$out" >"$2/libzip-build.log" 2>&1 || { tail -40 "$2/libzip-build.log"; fail "libzip did not build"; }
  cmake --install "$out" >/dev/null
  rm -rf "$sdk/lib/cmake/libzip"
  cat >"$sdk/lib/pkgconfig/libzip.pc" <<PC
prefix=$sdk
Name: libzip
Description: reading and checking zip archives
Version: $(basename "$dir" | sed 's/^libzip-//')
Cflags: -I\${prefix}/include -DZIP_STATIC
Libs: -L\${prefix}/lib -lzip -lz -lbcrypt -ladvapi32
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

# Qt's own feature defaults for Windows stay as they are wherever QtGui and
# the platform plugin must agree (direct2d, directwrite): switching one off
# in QtGui alone leaves the plugin linking against classes QtGui never built.
# Left out: what Corvane does not load (the Direct2D platform plugin, the
# jpeg, gif and ico image plugins). A unity build compiles Qt in batches of
# files, which on two cores takes a fraction of the time.
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
    -DFEATURE_direct2d1_1=OFF -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF -DFEATURE_ico=OFF -DQT_UNITY_BUILD=ON \
    >"$2/qt-configure.log" 2>&1 || { tail -40 "$2/qt-configure.log"; fail "Qt did not configure"; }
  cmake --build "$out" --parallel "$jobs" >"$2/qt-build.log" 2>&1 || { tail -40 "$2/qt-build.log"; fail "Qt did not build"; }
  cmake --install "$out" >/dev/null
}

want=$(stamp)
if [ "$(cat "$sdk/recipe.sha256" 2>/dev/null)" = "$want" ]; then
  exit 0
fi
# An empty folder is no SDK (a build root makes the folder to mount it).
if [ -n "$(ls -A "$sdk" 2>/dev/null)" ]; then
  say "the SDK in $sdk was made by another recipe: building it anew"
fi
say "building the Windows SDK into $sdk (about 25 minutes on two cores)"
started=$(date +%s)
work=$sdk/work
# Emptied rather than removed: in a build root the folder is a mount point.
mkdir -p "$sdk"
find "$sdk" -mindepth 1 -maxdepth 1 -exec rm -rf {} +
mkdir -p "$work"
fetch_sources "$work/src"
build_zlib "$work/src" "$work"
build_libdeflate "$work/src" "$work"
build_libzip "$work/src" "$work"
build_qt "$work/src" "$work"
rm -rf "$work"
echo "$want" >"$sdk/recipe.sha256"
say "built in $(( ($(date +%s) - started) / 60 )) minutes"
