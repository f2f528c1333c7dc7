#!/bin/sh
# Fresh-machine test run: installs what is missing, builds the sanitizer preset (programs and
# tests), runs every test and check, then builds the programs as the run command does and packs
# that one build into the Debian package, checked unpacked.
set -eu
cd "$(dirname "$0")/.."

# step WHAT COMMAND...: runs COMMAND and says how long WHAT took, so that a slow run shows where
# its time went.
step()
{
    what=$1
    shift
    since=$(date +%s)
    "$@"
    echo "test.sh: $what in $(($(date +%s) - since)) s"
}

step "packages" ./scripts/setup-debian.sh test
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
step "configuring the sanitizer build" cmake --preset dev $launcher
step "the sanitizer build" cmake --build --preset dev -j "$(nproc)"
step "the tests and checks" ctest --preset dev -j "$(nproc)"
# The Debian package, built from the optimised build of the programs alone.
step "configuring the optimised build" cmake --preset program $launcher
step "the optimised build and its package" \
    cmake --build --preset program -j "$(nproc)" --target package
step "the package's checks" ./tests/packaging/check_package.sh build/program/brakwen_*.deb
