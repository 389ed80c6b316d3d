#!/bin/sh
# Builds Corvane, makes its Debian package and installs it system-wide, so it
# starts from the desktop's menu (and as `corvane` from a terminal).
set -eu
cd "$(dirname "$0")/.."
sh scripts/deps.sh
sh scripts/build.sh
rm -f build/corvane_*.deb
cpack --config build/CPackConfig.cmake -G DEB -B build
deb=$(ls "$PWD"/build/corvane_*.deb)
if [ "$(id -u)" -eq 0 ]; then SUDO=""; else SUDO="sudo"; fi
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y "$deb"
echo "Corvane is installed: start it from the desktop's menu or run 'corvane'."
