#!/bin/sh
# Fresh-machine test run: installs what is missing, builds the sanitizer preset, runs every test.
set -eu
cd "$(dirname "$0")/.."
./scripts/setup-debian.sh
cmake --preset dev
cmake --build --preset dev -j "$(nproc)"
ctest --preset dev -j "$(nproc)"
