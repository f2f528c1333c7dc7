#!/bin/sh
# Installs the Debian packages Brakwen needs, only those missing:
#   scripts/setup-debian.sh run    what building and running the programs need (./scripts/run.sh)
#   scripts/setup-debian.sh test   that, and everything the tests, the static checks and the
#                                  package need (./scripts/test.sh); the default
# Safe to run again: apt-get is only called when something is missing.
set -eu

# Building: the compiler, CMake and Ninja, lld (a faster linker), Qt's development files, and
# Ghostscript's and qpdf's, which the converter links.
BUILD="build-essential cmake ninja-build lld pkg-config
qt6-base-dev qt6-base-dev-tools libgl-dev
libgs-dev libqpdf-dev"
# Running: Qt's X11 platform, its French texts and the preview's TIFF reader; Ghostscript and
# qpdf, which the converter and the preview run.
RUN="qt6-qpa-plugins qt6-translations-l10n qt6-image-formats-plugins ghostscript qpdf"
# Testing: the test framework and Qt's private headers some window tests use, the static checks,
# the tools the tests drive (fault injection, an X server, screenshots, the shell, the desktop
# and AppStream validators, man), and what builds and checks the package.
TEST="libgtest-dev qt6-base-private-dev clang-format clang-tidy ccache
poppler-utils strace time procps util-linux bash-completion
xvfb xauth xdotool openbox imagemagick fonts-dejavu-core
desktop-file-utils appstream man-db dpkg-dev lintian"

# Only what is needed: recommended packages stay out (with them, the test command's packages
# were 746 and took minutes more to fetch and unpack on a new machine).
case ${1:-test} in
run)
    PACKAGES="$BUILD $RUN"
    ;;
test)
    PACKAGES="$BUILD $RUN $TEST"
    ;;
*)
    echo "usage: $0 [run|test]" >&2
    exit 2
    ;;
esac

# One query for all: dpkg-query names each package it knows with its state.
installed=$(dpkg-query -W -f='${Package} ${Status}\n' $PACKAGES 2>/dev/null |
    awk '$NF == "installed" { print $1 }')
missing=""
for package in $PACKAGES; do
    printf '%s\n' "$installed" | grep -qx "$package" || missing="$missing $package"
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
    as_root=""
else
    as_root="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$as_root apt-get update -qq
# shellcheck disable=SC2086
$as_root apt-get install -y -qq --no-install-recommends $missing
