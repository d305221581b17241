#!/usr/bin/env bash
# Builds the Debian package folder-tools in build-package/ (BUILD_DIR) with
# Debian's build flags and prints the path of the .deb on the last line.
set -euo pipefail
cd "$(dirname "$0")/.."
SETUP_NO_BUILD=1 bash scripts/setup.sh
# dpkg-shlibdeps and dpkg-buildflags; file tells CPack which files are ELF.
bash scripts/install-packages.sh dpkg-dev file

build=${BUILD_DIR:-build-package}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=None \
    -DFT_DEBIAN_BUILDFLAGS=ON -DFT_BUILD_TESTS=OFF >&2
cmake --build "$build" >&2
(cd "$build" && cpack -G DEB >&2)
ls "$PWD/$build"/folder-tools_*.deb
