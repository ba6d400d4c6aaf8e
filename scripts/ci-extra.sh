#!/bin/sh
# The checks CI runs after the main build and tests (scripts/setup.sh has
# installed every tool): the whole suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, then a short libFuzzer run of each fuzz target.
# Each step uses a build folder of its own and stops the script on failure.
set -eu
cd "$(dirname "$0")/.."
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

step() { echo "== $1 ($(date +%T))"; }

step "sanitizer build"
# -O1 keeps the instrumented build and run fast while stacks stay readable.
cmake -S . -B build-asan -DVEVURID_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" >/dev/null
cmake --build build-asan -j"$jobs" >/dev/null

step "sanitizer tests"
# Any report fails its test: ASan and LSan exit with an error code, and UBSan
# halts at its first finding instead of carrying on.
ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:print_stacktrace=1 \
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure

step "done"
