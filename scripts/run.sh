#!/bin/sh
# Fresh-machine start: installs what is missing, builds the programs alone (no tests, no
# benchmarks), starts the window.
set -eu
cd "$(dirname "$0")/.."
./scripts/setup-debian.sh
cmake --preset program
cmake --build --preset program -j "$(nproc)"
exec ./build/program/bin/brakwen
