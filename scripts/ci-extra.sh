#!/bin/sh
# The checks CI runs after the main build and tests, as root: Debian's checks
# of the package, the whole suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, a short libFuzzer run of each fuzz target, and
# clang-tidy on src/. scripts/setup.sh has installed what building needs;
# the tools only these checks use are installed here.
# Each step uses a build folder of its own and stops the script on failure.
set -eu
cd "$(dirname "$0")/.."
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

step() { echo "== $1 ($(date +%T))"; }

step "tools"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends \
  clang libclang-rt-14-dev clang-tidy lintian desktop-file-utils appstream \
  libbenchmark-dev libxcb1-dev >/dev/null

step "package and benchmarks"
# The benchmarks are built here so they keep compiling; their timings mean
# nothing on a shared CI machine, so they are not run.
cmake -S . -B build-deb -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF -DVEVURID_BENCH=ON >/dev/null
cmake --build build-deb -j"$jobs" >/dev/null
rm -rf build-deb/out build-deb/root
(cd build-deb && cpack -G DEB -B out >/dev/null)
deb=$(echo build-deb/out/vevurid_*.deb)
# Errors and warnings fail; info and pedantic tags are shown for the record.
lintian --fail-on error,warning --display-info --pedantic "$deb"
dpkg-deb -x "$deb" build-deb/root
desktop-file-validate build-deb/root/usr/share/applications/vevurid.desktop
appstreamcli validate --no-net build-deb/root/usr/share/metainfo/*.metainfo.xml

step "sanitizer build"
# -O1 keeps the instrumented build and run fast while stacks stay readable.
cmake -S . -B build-asan -DVEVURID_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" >/dev/null
cmake --build build-asan -j"$jobs" >/dev/null

step "sanitizer tests"
# Any report fails its test: ASan and LSan exit with an error code, and UBSan
# halts at its first finding instead of carrying on. Gcc 12's leak checker
# misreads a dynamic TLS block on some memory layouts (a fresh Debian 12 hits
# it at the end of tst_imagebrowser) and crashes in its own tracer; without tracking
# those blocks (intercept_tls_get_addr=0) it still finds leaks.
ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:print_stacktrace=1:intercept_tls_get_addr=0 \
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure

step "fuzz build"
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DVEVURID_FUZZ=ON \
  -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j"$jobs" --target fuzz_numberrules fuzz_valuefile fuzz_lightcurve fuzz_fits \
  fuzz_skycoordinates >/dev/null

# Each target starts from its seeds in fuzz/corpus/ and keeps what it finds in
# the build folder; a crash or sanitizer report fails the step and leaves the
# input in build-fuzz/. The value-file target writes a file per input: keep
# it in memory where possible.
if [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
fuzz() {
  name=$1
  shift
  step "fuzz $name (${FUZZ_SECONDS:-30} s)"
  mkdir -p "build-fuzz/found/$name"
  log="build-fuzz/fuzz-$name.log"
  if ! "build-fuzz/fuzz/fuzz_$name" -max_total_time="${FUZZ_SECONDS:-30}" \
      -artifact_prefix=build-fuzz/ "$@" "build-fuzz/found/$name" "fuzz/corpus/$name" >"$log" 2>&1; then
    cat "$log"
    exit 1
  fi
  grep '^Done' "$log"
}
fuzz numberrules
# Room for a file just past the 32767 characters a field holds.
fuzz valuefile -max_len=40000
fuzz lightcurve
# Seeds are whole 2880-byte blocks; room for a few more.
fuzz fits -max_len=20000
# WCSLIB's parser once looped on some cards: a hang fails the step too.
fuzz skycoordinates -dict=fuzz/skycoordinates.dict -timeout=10

step "clang-tidy"
sh scripts/tidy.sh

step "done"
