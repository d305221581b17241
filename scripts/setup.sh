#!/usr/bin/env bash
# Installs every Debian package needed to build, run and test, then builds.
# Non-interactive and idempotent; run as root or with sudo available.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev qt6-translations-l10n
    libboost-dev libgtest-dev
    xvfb xauth x11-utils imagemagick fonts-ipafont-gothic fonts-noto-cjk
    trash-cli libglib2.0-bin gvfs gvfs-daemons dbus fp-utils time
    binutils-mingw-w64-x86-64
)

bash scripts/install-packages.sh "${packages[@]}"
# The package build wants the set-up without the build of build/.
[ "${SETUP_NO_BUILD:-0}" = 1 ] && exit 0

build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo}
cmake --build "$build"
