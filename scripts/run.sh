#!/bin/sh
# Fresh-machine start: installs what is missing, builds the release preset, starts the program.
set -eu
cd "$(dirname "$0")/.."
./scripts/setup-debian.sh
cmake --preset release
cmake --build --preset release -j "$(nproc)"
exec ./build/release/bin/brakwen
