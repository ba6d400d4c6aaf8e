#!/bin/sh
# Installs every Debian 12 package Vevurid needs to build, run and test (clang
# for fuzzing and static checks, Google Benchmark for bench/), then builds it
# into ./build. Run as root from the project folder.
set -eu
cd "$(dirname "$0")/.."
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends \
  build-essential cmake qt6-base-dev qt6-base-dev-tools libqt6printsupport6 \
  qt6-qpa-plugins qt6-image-formats-plugins libgl1-mesa-dev \
  fonts-wine fonts-liberation fonts-liberation2 xauth \
  libqcustomplot-dev libqcustomplot2.1-qt6 \
  clang libclang-rt-14-dev clang-tidy libbenchmark-dev >/dev/null
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
