#!/bin/sh
# Builds Corvane and its zip.exe, then compares the archiver with Info-ZIP
# and 7-Zip, times Create end to end and the program's start-up; see bench.py.
# Not a test: run by hand and copy the tables into bench/RESULTS.md.
set -eu
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target corvane corvane_zip corvane_bench_create
exec python3 bench/bench.py --zip build/zip.exe --corvane build/corvane \
  --create-bench build/bench/corvane_bench_create "$@"
