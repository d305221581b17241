#!/usr/bin/env bash
# Cross-compiles the Qt-free core and its tests for 64-bit Windows with
# MinGW-w64 and runs them under Wine. Needs no display. Installs its own
# packages (as root or through sudo) when they are missing.
#
#   WIN_BUILD_DIR  build folder (default build-windows); GoogleTest and the
#                  Wine prefix live inside it
#   FRESH=1        start from an empty build folder
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS

build=${WIN_BUILD_DIR:-build-windows}
triple=x86_64-w64-mingw32
# g++ builds the version-block generator that runs on this machine during the build.
packages=(cmake ninja-build g++ g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 googletest)

bash scripts/install-packages.sh "${packages[@]}"

source scripts/find-wine.sh

[ "${FRESH:-0}" = 1 ] && rm -rf "$build"
mkdir -p "$build"
build=$(cd "$build" && pwd)
toolchain=$PWD/cmake/mingw-w64.cmake

# GoogleTest from Debian's sources, built once with the same compiler.
gtest_prefix=$build/googletest
if [ ! -f "$gtest_prefix/lib/cmake/GTest/GTestConfig.cmake" ]; then
    echo "== GoogleTest for $triple"
    cmake -S /usr/src/googletest -B "$build/googletest-build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$gtest_prefix" -DBUILD_GMOCK=OFF -DBUILD_SHARED_LIBS=OFF \
        -DINSTALL_GTEST=ON -Dgtest_disable_pthreads=OFF >/dev/null
    cmake --build "$build/googletest-build" -j2
    cmake --install "$build/googletest-build" >/dev/null
fi

echo "== Qt-free core for $triple"
cmake -S . -B "$build/project" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} \
    -DFT_BUILD_GUI=OFF -DGTest_DIR="$gtest_prefix/lib/cmake/GTest" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$wine" >/dev/null
cmake --build "$build/project" -j2 --target ft_core_tests
built=$SECONDS

# A private prefix, no debug noise, and no offers to install Mono or Gecko.
export WINEPREFIX=$build/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
# Lets Wine start further Windows programs (the tests start this one again).
export WINELOADER=${WINELOADER:-$wine}
unset DISPLAY WAYLAND_DISPLAY
# Wine keeps its server and services running after the last program; end
# them (and so everything of this prefix) however the run ends.
trap '"$wineserver" -k 2>/dev/null || true' EXIT
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "== Wine prefix $WINEPREFIX"
    "$wine" wineboot --init >/dev/null 2>&1 || true
    "$wineserver" -w 2>/dev/null || true
fi
prefixed=$SECONDS

echo "== ft_core_tests.exe under $("$wine" --version 2>/dev/null || echo Wine)"
log=$build/ft_core_tests.log
status=0
"$wine" "$build/project/tests/ft_core_tests.exe" --gtest_color=no "$@" >"$log" 2>&1 || status=$?
tr -d '\r' <"$log" >"$log.tmp" && mv "$log.tmp" "$log"
if [ "$status" -eq 0 ]; then
    sed -n '/^\[==========\] .* ran\./,$p' "$log"
else
    cat "$log"
fi
echo "== build $((built - started)) s, Wine prefix $((prefixed - built)) s, tests $((SECONDS - prefixed)) s; log: $log"
exit "$status"
