#!/bin/sh
# Installs what is missing, builds, and starts Corvane.
set -eu
cd "$(dirname "$0")/.."
sh scripts/deps.sh
sh scripts/build.sh
exec "./${CORVANE_BUILD:-build}/corvane"
