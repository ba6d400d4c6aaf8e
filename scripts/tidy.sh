#!/bin/sh
# clang-tidy with the project's .clang-tidy on every source file in src/; any
# finding fails. Needs only a configured tree (clang, compile database).
set -eu
cd "$(dirname "$0")/.."
cmake -S . -B build-tidy -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
  -DBUILD_TESTING=OFF >/dev/null
run-clang-tidy -quiet -p build-tidy -j "$(nproc)" "^$PWD/src/" >build-tidy/tidy.log 2>&1 || {
  sed 's/\x1b\[[0-9;]*m//g' build-tidy/tidy.log \
    | grep -v -e '^clang-tidy' -e 'warnings generated' -e '^Suppressed'
  exit 1
}
echo "clang-tidy: no findings in src/"
