#!/bin/sh
# Fresh-machine test run: installs what is missing, builds the sanitizer preset, runs every test,
# then builds the Debian package and checks it unpacked.
set -eu
cd "$(dirname "$0")/.."
./scripts/setup-debian.sh
cmake --preset dev
cmake --build --preset dev -j "$(nproc)"
ctest --preset dev -j "$(nproc)"
# The Debian package, built as a release would be, unpacked and used.
cmake --preset release
cmake --build --preset release -j "$(nproc)" --target package
./tests/packaging/check_package.sh build/release/brakwen_*.deb
