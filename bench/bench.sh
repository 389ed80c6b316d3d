#!/bin/sh
# Builds zip.exe and compares it with Info-ZIP and 7-Zip; see bench.py.
# Not a test: run by hand and copy the table into bench/RESULTS.md.
set -eu
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target corvane_zip
exec python3 bench/bench.py --zip build/zip.exe "$@"
