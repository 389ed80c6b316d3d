#!/bin/sh
# Installs, only when missing, the Debian packages that building, running and
# testing Corvane need, on Debian 12 and 13, and those named as arguments.
# Safe to run again: it does nothing when all are present.
#   sh scripts/deps.sh [PACKAGE...]
set -eu

# 7zip brings 7-Zip as 7zz on Debian 12 and as 7z on Debian 13; the tests
# take either.
PACKAGES="cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev zip unzip \
  libdeflate-dev libzip-dev zlib1g-dev \
  xvfb xauth xdotool x11-utils imagemagick fonts-dejavu-core \
  7zip python3 desktop-file-utils dpkg-dev file ioquake3-server openarena-server $*"

missing=""
for p in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done

if [ -n "$missing" ]; then
  . "$(dirname "$0")/as-root.sh"
  if [ "$(id -u)" -ne 0 ] && ! command -v sudo >/dev/null 2>&1; then
    echo "deps.sh: missing packages:$missing" >&2
    echo "Run as root:  apt-get update && apt-get install -y --no-install-recommends$missing" >&2
    exit 1
  fi
  echo "Installing:$missing"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
fi
