#!/bin/sh
# Installs what is missing, builds, and runs the whole test suite.
set -eu
cd "$(dirname "$0")/.."
sh scripts/deps.sh
sh scripts/build.sh
cd "${CORVANE_BUILD:-build}"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure
