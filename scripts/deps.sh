#!/bin/sh
# Installs, only when missing, the Debian packages that building, running and
# testing Corvane need. Safe to run again: it does nothing when all are present.
set -eu

PACKAGES="cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev zip unzip \
  libdeflate-dev libminizip-dev zlib1g-dev \
  xvfb xauth xdotool x11-utils imagemagick fonts-dejavu-core \
  7zip python3 desktop-file-utils dpkg-dev file"

missing=""
for p in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done

if [ -n "$missing" ]; then
  if [ "$(id -u)" -eq 0 ]; then SUDO=""; else SUDO="sudo"; fi
  echo "Installing:$missing"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
fi
