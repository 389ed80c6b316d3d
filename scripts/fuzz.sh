#!/bin/sh
# Runs each fuzz target for SECONDS (60 unless given) under AddressSanitizer
# and UndefinedBehaviorSanitizer, starting from the seed corpus
# tests/fuzz/seeds.py makes and from what earlier runs found
# (build-fuzz/corpus/). A crash, a hang (10 s on one input), a leak or a
# sanitizer report fails; its input is kept in build-fuzz/artifacts/.
#   sh scripts/fuzz.sh [SECONDS]
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-60}
sh scripts/deps.sh clang libclang-rt-dev
. scripts/sanitized-build.sh
build=build-fuzz
sanitized_build "$build" fuzzer-no-link,address,undefined -DBUILD_TESTING=OFF -DCORVANE_FUZZ=ON
cmake --build "$build" --target fuzz_old_archive fuzz_archive_check corvane_zip
python3 tests/fuzz/seeds.py "$build/seeds" --zip "$build/zip.exe"
mkdir -p "$build/artifacts"
for target in fuzz_old_archive fuzz_archive_check; do
  mkdir -p "$build/corpus/$target"
  echo "fuzz.sh: $target for $seconds s"
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$build/tests/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=70000 \
      -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" "$build/corpus/$target" "$build/seeds" \
      2>"$build/$target.log" || { tail -60 "$build/$target.log" >&2; echo "fuzz.sh: $target failed" >&2; exit 1; }
  grep -E "^stat::number_of_executed_units|^stat::peak_rss_mb" "$build/$target.log" | sed "s/^/fuzz.sh: $target /"
done
echo "fuzz.sh: no crash, hang, leak or sanitizer report"
