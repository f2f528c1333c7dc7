#!/bin/sh
# Fresh-machine start: installs what building and running need, if missing, builds the programs
# alone (no tests, no benchmarks) and starts the window. Once built, only what changed is built
# again, and the window is up at once.
set -eu
cd "$(dirname "$0")/.."
./scripts/setup-debian.sh run
# Configured once; the build configures again by itself when a CMakeLists.txt changes.
[ -f build/program/build.ninja ] || cmake --preset program
cmake --build --preset program -j "$(nproc)"
exec ./build/program/bin/brakwen "$@"
