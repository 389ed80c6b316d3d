#!/bin/sh
# COUNT damaged and hostile archives (1000 unless given) through zip.exe and
# through Create, both built with AddressSanitizer and UndefinedBehaviorSanitizer
# (bench/hostile.py says what is counted). Not a test: a measurement.
#   sh bench/hostile.sh [COUNT]
set -eu
cd "$(dirname "$0")/.."
count=${1:-1000}
sh scripts/deps.sh clang libclang-rt-dev
. scripts/sanitized-build.sh
build=build-asan
sanitized_build "$build" address,undefined
cmake --build "$build" --target corvane corvane_zip corvane_bench_hostile
python3 tests/fuzz/seeds.py "$build/hostile-seeds" --zip "$build/zip.exe"
python3 bench/hostile.py --zip "$build/zip.exe" --create "$build/bench/corvane_bench_hostile" \
  --program-folder "$PWD/$build" --seeds "$build/hostile-seeds" --count "$count"
