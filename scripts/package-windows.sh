#!/usr/bin/env bash
# Builds both programs for 64-bit Windows against the cached Qt for Windows
# (scripts/build-qt-windows.sh builds it first when it is missing) and packs
# the zip a Windows user downloads:
#
#   $WIN_GUI_BUILD_DIR/tervano-quistel-<version>-win64.zip
#
# with both executables and their help, the Qt DLLs and plugins they load,
# the MinGW runtime DLLs, the licences and a Japanese read-me. The unpacked
# folder stays beside the zip (.../tervano-quistel-win64/) for the Wine test.
#
#   WIN_GUI_BUILD_DIR  build folder (default build-windows-gui)
#   FRESH=1            start from an empty build folder
# Installs its own packages (as root or through sudo) when they are missing.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS

build=${WIN_GUI_BUILD_DIR:-build-windows-gui}
triple=x86_64-w64-mingw32

# g++ builds the version-block generator that runs on this machine during the build.
bash scripts/install-packages.sh cmake ninja-build g++ g++-mingw-w64-x86-64-posix \
    binutils-mingw-w64-x86-64 qt6-base-dev qt6-base-dev-tools libboost-dev fp-utils

qt_prefix=$(bash scripts/build-qt-windows.sh | tail -n 1)
[ -f "$qt_prefix/.complete" ] || { echo "package-windows: no Qt for Windows at $qt_prefix" >&2; exit 1; }
qt_ready=$SECONDS

[ "${FRESH:-0}" = 1 ] && rm -rf "$build"
mkdir -p "$build"
build=$(cd "$build" && pwd)

# Boost is header-only here; the MinGW tree has none, so the host's headers
# are offered alone, without the rest of /usr/include.
mkdir -p "$build/boost-include"
ln -sfn /usr/include/boost "$build/boost-include/boost"

echo "== tervano and quistel for $triple"
# Qt's toolchain file chains to the MinGW one and knows the host tools.
cmake -S . -B "$build/project" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$qt_prefix/lib/cmake/Qt6/qt.toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-Release} \
    -DFT_BUILD_TESTS=OFF \
    -DBoost_NO_BOOST_CMAKE=ON -DBoost_INCLUDE_DIR="$build/boost-include" >/dev/null
nice -n 10 cmake --build "$build/project" -j "${JOBS:-2}" \
    --target tervano quistel ft_help_tervano ft_help_quistel
built=$SECONDS

project=$build/project
name=tervano-quistel-win64
stage=$build/$name
rm -rf "$stage"
mkdir -p "$stage/licenses"

for program in opener/tervano remover/quistel; do
    # Qt for Windows may gather the executables at the top of the build.
    exe=$project/$program.exe
    [ -f "$exe" ] || exe=$project/${program#*/}.exe
    cp "$exe" "$stage/"
    [ -f "$project/$program.chm" ] || { echo "package-windows: no $program.chm (chmcmd missing?)" >&2; exit 1; }
    cp "$project/$program.chm" "$stage/"
done

# The plugins windeployqt would copy for QtGui and QtWidgets; only those this
# Qt has built exist.
for plugin in platforms/qwindows styles/qwindowsvistastyle imageformats/qico imageformats/qgif; do
    if [ -f "$qt_prefix/plugins/$plugin.dll" ]; then
        mkdir -p "$stage/${plugin%/*}"
        cp "$qt_prefix/plugins/$plugin.dll" "$stage/$plugin.dll"
    fi
done
[ -f "$stage/platforms/qwindows.dll" ] || { echo "package-windows: no qwindows.dll in $qt_prefix" >&2; exit 1; }

# Every DLL the executables and plugins import, followed transitively, from
# Qt's bin folder or the MinGW runtime; the system's own DLLs stay out.
gcc_dir=$(dirname "$("$triple-g++-posix" -print-libgcc-file-name)")
search=("$qt_prefix/bin" "$gcc_dir" "/usr/$triple/lib" "/usr/$triple/bin")
queue=("$stage"/*.exe "$stage"/*/*.dll)
while ((${#queue[@]})); do
    file=${queue[0]}
    queue=("${queue[@]:1}")
    while read -r dll; do
        [ -e "$stage/$dll" ] && continue
        for dir in "${search[@]}"; do
            if [ -f "$dir/$dll" ]; then
                cp "$dir/$dll" "$stage/$dll"
                queue+=("$stage/$dll")
                break
            fi
        done
    done < <("$triple-objdump" -p "$file" | sed -n 's/^[[:space:]]*DLL Name: //p')
done
for dll in Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    [ -f "$stage/$dll" ] || { echo "package-windows: $dll was not picked up" >&2; exit 1; }
done

# Read-me for Windows: CRLF and a byte-order mark, as Notepad likes it.
{ printf '\xef\xbb\xbf'; sed 's/$/\r/' resources/windows-readme-ja.txt; } >"$stage/README-ja.txt"

# Licences of what the zip carries besides the programs.
if [ -f LICENSE ]; then
    sed 's/$/\r/' LICENSE >"$stage/LICENSE.txt"
fi
copy_licence() { sed 's/$/\r/' "$1" >"$stage/licenses/$2"; }
copy_licence /usr/share/doc/libqt6core6/copyright Qt-copyright.txt
copy_licence /usr/share/common-licenses/LGPL-3 LGPL-3.txt
copy_licence /usr/share/common-licenses/GPL-3 GPL-3.txt
copy_licence /usr/share/common-licenses/GPL-2 GPL-2.txt
copy_licence /usr/share/doc/gcc-mingw-w64-base/copyright MinGW-w64-GCC-runtime-copyright.txt
copy_licence /usr/share/doc/mingw-w64-x86-64-dev/copyright MinGW-w64-runtime-copyright.txt

version=$(sed -n 's/^ProductVersion *= *//p' resources/tervano.version | tail -n 1)
zip=$build/tervano-quistel-$version-win64.zip
rm -f "$zip"
# Stable order and times: the same inputs give the same zip.
stamp=$(TZ=UTC git log -1 --format=%cd --date=format-local:'%Y-%m-%d %H:%M:%S' 2>/dev/null || date -u '+%Y-%m-%d %H:%M:%S')
(cd "$build" && find "$name" -type f | LC_ALL=C sort >"$build/zip-files.txt" && \
    TZ=UTC cmake -E tar cf "$zip" --format=zip --mtime="$stamp UTC" --files-from="$build/zip-files.txt")
echo "== $zip: $(wc -l <"$build/zip-files.txt") files, $(du -h "$zip" | cut -f1)"
echo "== Qt $((qt_ready - started)) s, programs $((built - qt_ready)) s, zip $((SECONDS - built)) s"
