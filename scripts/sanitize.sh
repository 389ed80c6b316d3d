#!/bin/sh
# The archiver's tests and the archive check's tests built with clang under
# AddressSanitizer and UndefinedBehaviorSanitizer, and the archiver's core and
# command line (several threads compress one file in pieces) under
# ThreadSanitizer. Any report, in a test or in a program a test starts, fails.
#   sh scripts/sanitize.sh
set -eu
cd "$(dirname "$0")/.."
repo=$PWD
sh scripts/deps.sh clang libclang-rt-dev
. scripts/sanitized-build.sh

say() { echo "sanitize.sh: $*"; }

# $1 build folder, $2 sanitizers, $3 tests (a CTest regular expression), then targets.
check() {
  build=$1 sanitizers=$2 tests=$3
  shift 3
  sanitized_build "$build" "$sanitizers"
  cmake --build "$build" --target "$@"
  # Reports land here from every process, whoever runs it (one test drops to
  # an ordinary user). A zip.exe stopped by a signal ends at once, its
  # compressing threads unjoined: that is no thread leak.
  reports=$repo/$build/sanitizer-reports
  rm -rf "$reports" && mkdir -p "$reports" && chmod 1777 "$reports"
  status=0
  (cd "$build" && QT_QPA_PLATFORM=offscreen \
    ASAN_OPTIONS="log_path=$reports/asan:detect_leaks=1" \
    LSAN_OPTIONS="suppressions=$repo/tests/sanitizer/leaks.supp:print_suppressions=0" \
    UBSAN_OPTIONS="log_path=$reports/ubsan:print_stacktrace=1:halt_on_error=1" \
    TSAN_OPTIONS="log_path=$reports/tsan:halt_on_error=1:second_deadlock_stack=1:report_thread_leaks=0" \
    ctest -R "$tests" --output-on-failure) || status=$?
  if [ -n "$(ls -A "$reports")" ]; then
    cat "$reports"/* >&2
    say "$sanitizers reported the above" >&2
    exit 1
  fi
  [ "$status" -eq 0 ] || { say "the $sanitizers build's tests failed" >&2; exit 1; }
  say "$sanitizers: no report"
}

check build-asan address,undefined '^(zip_core|zip_cli|tst_damaged_archives|tst_builder_e2e)$' \
  corvane corvane_zip tst_zip_core tst_damaged_archives tst_builder_e2e
check build-tsan thread '^(zip_core|zip_cli)$' corvane_zip tst_zip_core
