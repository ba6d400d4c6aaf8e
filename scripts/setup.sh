#!/bin/sh
# Installs the Debian 12 packages Vevurid needs to build, run and test, then
# builds it into ./build. Run as root from the project folder. `file` serves
# cpack, which the package test runs; the extra checks in scripts/ci-extra.sh
# install their own tools.
set -eu
cd "$(dirname "$0")/.."
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends \
  build-essential cmake file qt6-base-dev qt6-base-dev-tools libqt6printsupport6 \
  qt6-qpa-plugins qt6-image-formats-plugins libgl1-mesa-dev \
  fonts-wine fonts-liberation fonts-liberation2 xauth \
  libqcustomplot-dev libqcustomplot2.1-qt6 qt6-translations-l10n \
  libcfitsio-dev wcslib-dev liberfa-dev libfftw3-dev pkg-config \
  astrometry.net astrometry-data-tycho2-07 astrometry-data-tycho2-08 astrometry-data-tycho2-09 >/dev/null
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
