#!/bin/sh
# Installs the Debian packages that building, running and testing Brakwen need.
# Safe to run again: apt-get is only called when something is missing.
set -eu

PACKAGES="
build-essential cmake ninja-build pkg-config clang-format clang-tidy
qt6-base-dev qt6-base-dev-tools qt6-base-private-dev qt6-qpa-plugins qt6-translations-l10n libgl-dev
libgtest-dev
ghostscript poppler-utils qpdf
strace time procps util-linux xvfb xauth xdotool imagemagick fonts-dejavu-core desktop-file-utils
appstream man-db dpkg-dev lintian qt6-image-formats-plugins bash-completion
"

missing=""
for package in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
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
$as_root apt-get install -y -qq $missing
