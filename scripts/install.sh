#!/bin/sh
# Builds Corvane, makes its Debian package and installs it system-wide, so it
# starts from the desktop's menu (and as `corvane` from a terminal).
set -eu
cd "$(dirname "$0")/.."
if [ "$(id -u)" -ne 0 ] && ! command -v sudo >/dev/null 2>&1; then
  echo "install.sh: installing Corvane needs root, and sudo is not installed." >&2
  echo "Run as root:  sh $PWD/scripts/install.sh" >&2
  exit 1
fi
sh scripts/deps.sh
sh scripts/build.sh
build=${CORVANE_BUILD:-build}
rm -f "$build"/corvane_*.deb
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$build"
deb=$(ls "$PWD/$build"/corvane_*.deb)
. scripts/as-root.sh
as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y "$deb"
echo "Corvane is installed: start it from the desktop's menu or run 'corvane'."
