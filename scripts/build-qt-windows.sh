#!/usr/bin/env bash
# Cross-compiles Qt's qtbase for 64-bit Windows with MinGW-w64 from Debian's
# source package of the host Qt (the host Qt provides moc, rcc and uic), with
# only what the two programs use, and installs it into a cache outside the
# clone:
#
#   $QT_WIN_CACHE/<Qt version>-<hash>/     (default /var/cache/tervano-qt-win)
#
# The hash covers the Debian version of the source, the configure options and
# the toolchain, so a second run with the same inputs reuses the installed Qt.
# A finished prefix holds the file .complete; an interrupted build resumes in
# its build folder.
#
#   scripts/build-qt-windows.sh                 build unless cached; prints the prefix last
#   scripts/build-qt-windows.sh --print-prefix  only print where the prefix is (or would be)
#
#   QT_WIN_CACHE  cache folder; JOBS (2) parallel jobs; NICE (15) niceness
#   KEEP_QT_BUILD=1  keep the build folder after a successful install
# Installs its own packages (as root or through sudo) when they are missing.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS

cache=${QT_WIN_CACHE:-/var/cache/tervano-qt-win}
jobs=${JOBS:-2}
niceness=${NICE:-15}
toolchain_source=$PWD/cmake/mingw-w64-qt.cmake

# The Debian version of the host Qt: installed, else the one apt would install.
host_qt_version() {
    local v
    v=$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null || true)
    [ -n "$v" ] || v=$(apt-cache policy qt6-base-dev 2>/dev/null | sed -n 's/^ *Candidate: *//p')
    [ -n "$v" ] && [ "$v" != "(none)" ] || { echo "build-qt-windows: no qt6-base-dev known to apt" >&2; return 1; }
    printf '%s\n' "$v"
}

# Only QtCore, QtGui and QtWidgets with the Windows platform and style plugins.
# Tablet support needs wintab.h, which Debian's source leaves out. OpenGL goes
# through its input switch: turning the feature off alone leaves dynamic
# OpenGL on, which the platform plugin cannot build without it.
configure_options=(
    -DCMAKE_BUILD_TYPE=Release
    -DBUILD_SHARED_LIBS=ON
    -DQT_BUILD_EXAMPLES=OFF
    -DQT_BUILD_TESTS=OFF
    -DQT_BUILD_BENCHMARKS=OFF
    -DQT_HOST_PATH=/usr
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    -DQT_QMAKE_TARGET_MKSPEC=win32-g++
    -DFEATURE_sql=OFF
    -DFEATURE_network=OFF
    -DFEATURE_dbus=OFF
    -DINPUT_opengl=no
    -DFEATURE_printsupport=OFF
    -DFEATURE_concurrent=OFF
    -DFEATURE_xml=OFF
    -DFEATURE_testlib=OFF
    -DFEATURE_vulkan=OFF
    -DFEATURE_tabletevent=OFF
    -DFEATURE_direct2d=OFF
    -DFEATURE_jpeg=OFF
    -DFEATURE_zstd=OFF
    -DFEATURE_icu=OFF
)

debian_version=$(host_qt_version)
qt_version=${debian_version%%+*}
qt_version=${qt_version%%-*}
key=$( { printf '%s\n' "$debian_version" "${configure_options[@]}"; cat "$toolchain_source"; } \
    | sha256sum | cut -c1-12)
prefix=$cache/$qt_version-$key

if [ "${1:-}" = --print-prefix ]; then
    printf '%s\n' "$prefix"
    exit 0
fi

if [ -f "$prefix/.complete" ]; then
    echo "build-qt-windows: cached Qt $qt_version for Windows at $prefix"
    printf '%s\n' "$prefix"
    exit 0
fi

bash scripts/install-packages.sh cmake ninja-build g++-mingw-w64-x86-64-posix \
    qt6-base-dev qt6-base-dev-tools dpkg-dev xz-utils
[ "$(host_qt_version)" = "$debian_version" ] || {
    echo "build-qt-windows: the host Qt changed while installing; run again" >&2; exit 1; }

mkdir -p "$cache"
# One build per cache at a time.
exec 9>"$cache/.lock"
flock 9
if [ -f "$prefix/.complete" ]; then
    printf '%s\n' "$prefix"
    exit 0
fi

# Debian's source of exactly the host's version; apt needs deb-src entries
# for the archive it already uses.
sources=$cache/src-$debian_version
if [ ! -f "$sources/.complete" ]; then
    sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    if ! apt-get source --print-uris "qt6-base=$debian_version" >/dev/null 2>&1; then
        echo "== deb-src entries for the archive in use"
        list=/etc/apt/sources.list.d/tervano-deb-src
        for f in /etc/apt/sources.list.d/*.sources; do
            [ -f "$f" ] && [ "$f" != "$list.sources" ] || continue
            # Every paragraph of binary entries once more as source entries.
            awk 'BEGIN { RS = ""; ORS = "\n\n" }
                 /(^|\n)Types:[^\n]*[[:space:]]deb([[:space:]]|$)/ || /(^|\n)Types: *deb *(\n|$)/ {
                     sub(/(^|\n)Types:[^\n]*/, "\nTypes: deb-src"); sub(/^\n/, ""); print }' "$f"
        done | "${sudo[@]}" tee "$list.sources" >/dev/null
        for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
            [ -f "$f" ] && [ "$f" != "$list.list" ] || continue
            sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$f"
        done | "${sudo[@]}" tee "$list.list" >/dev/null
        "${sudo[@]}" apt-get -o DPkg::Lock::Timeout=600 -qq update
    fi
    echo "== Debian source qt6-base $debian_version"
    rm -rf "$sources"
    mkdir -p "$sources"
    (cd "$sources" && apt-get -qq source --only-source "qt6-base=$debian_version")
    touch "$sources/.complete"
fi
source_dir=$(find "$sources" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*' | head -n 1)
[ -f "$source_dir/CMakeLists.txt" ] || { echo "build-qt-windows: no source in $sources" >&2; exit 1; }
# Fixes for this configuration, each applied once. A prefix only completes
# with them, so they need no part in the cache key.
for fix in scripts/qt-windows-patches/*.patch; do
    if patch -d "$source_dir" -p1 --forward --dry-run --silent <"$fix" >/dev/null 2>&1; then
        echo "== applying $(basename "$fix")"
        patch -d "$source_dir" -p1 --forward --silent <"$fix"
    elif ! patch -d "$source_dir" -p1 --reverse --dry-run --silent <"$fix" >/dev/null 2>&1; then
        echo "build-qt-windows: $(basename "$fix") does not apply to $source_dir" >&2
        exit 1
    fi
done

build=$cache/build-$qt_version-$key
mkdir -p "$prefix" "$build"
# The installed Qt's toolchain file chain-loads this copy, not the clone's.
cp "$toolchain_source" "$prefix/mingw-w64-qt.cmake"

echo "== configure Qt $qt_version for Windows into $prefix"
if [ ! -f "$build/build.ninja" ]; then
    nice -n "$niceness" cmake -S "$source_dir" -B "$build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$prefix/mingw-w64-qt.cmake" \
        -DCMAKE_INSTALL_PREFIX="$prefix" \
        "${configure_options[@]}"
fi
configured=$SECONDS

echo "== build ($jobs jobs, nice $niceness)"
nice -n "$niceness" cmake --build "$build" -j "$jobs"
built=$SECONDS
nice -n "$niceness" cmake --install "$build" >/dev/null

{
    echo "debian_version=$debian_version"
    echo "configure_seconds=$((configured - started))"
    echo "build_seconds=$((built - configured))"
    echo "built_at=$(date -u +%FT%TZ)"
    printf 'option=%s\n' "${configure_options[@]}"
} >"$prefix/.complete"
[ "${KEEP_QT_BUILD:-0}" = 1 ] || rm -rf "$build"
echo "build-qt-windows: Qt $qt_version for Windows built in $((SECONDS - started)) s" \
    "(configure $((configured - started)) s, build $((built - configured)) s)"
printf '%s\n' "$prefix"
