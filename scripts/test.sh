#!/bin/sh
# Fresh-machine test run: installs what is missing, builds the sanitizer preset (programs and
# tests), runs every test and check, then builds the programs as the run command does and packs
# that one build into the Debian package, checked unpacked.
set -eu
cd "$(dirname "$0")/.."
./scripts/setup-debian.sh test
# With ccache, a second run, even from another clone of the tree, mostly reads its cache; the
# precompiled headers are taken as they are.
launcher=""
if command -v ccache >/dev/null 2>&1; then
    launcher=-DCMAKE_CXX_COMPILER_LAUNCHER=ccache
    CCACHE_BASEDIR=$(pwd)
    CCACHE_NOHASHDIR=1
    CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
    export CCACHE_BASEDIR CCACHE_NOHASHDIR CCACHE_SLOPPINESS
fi
cmake --preset dev $launcher
cmake --build --preset dev -j "$(nproc)"
ctest --preset dev -j "$(nproc)"
# The Debian package, built from the optimised build of the programs alone.
cmake --preset program $launcher
cmake --build --preset program -j "$(nproc)" --target package
./tests/packaging/check_package.sh build/program/brakwen_*.deb
