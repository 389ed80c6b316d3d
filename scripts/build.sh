#!/bin/sh
# Configures and builds Corvane into ./build (Release with debug info), or
# into the folder CORVANE_BUILD names (a second release's build beside it).
set -eu
cd "$(dirname "$0")/.."
build=${CORVANE_BUILD:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build"
