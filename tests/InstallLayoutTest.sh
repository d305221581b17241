#!/bin/sh
# `cmake --install` into a prefix with awkward characters: the programs with
# their help under lib/, relative links in bin/, desktop entries whose Exec
# names this prefix (quoted as the desktop entry format wants), icons, man
# pages, metadata; the validators, where installed, accept what was written.
set -u
build=$1
tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT
prefix="$tmp/my \$prefix \"x\" 100%"
cmake --install "$build" --prefix "$prefix" >"$tmp/log" 2>&1 || { cat "$tmp/log"; exit 1; }

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for program in tervano quistel; do
    for file in "lib/$program/$program" "lib/$program/$program-html/index.html" \
        "share/icons/hicolor/scalable/apps/$program.svg" \
        "share/man/man1/$program.1.gz" "share/man/ja/man1/$program.1.gz" \
        "share/metainfo/org.foldertools.$program.metainfo.xml"; do
        [ -f "$prefix/$file" ] || fail "missing $file"
    done
    for size in 16 22 24 32 48 64 128 256; do
        [ -f "$prefix/share/icons/hicolor/${size}x$size/apps/$program.png" ] || fail "missing ${size}x$size icon of $program"
    done
    [ "$(readlink "$prefix/bin/$program")" = "../lib/$program/$program" ] \
        || fail "bin/$program links to '$(readlink "$prefix/bin/$program")'"
    [ -x "$prefix/bin/$program" ] || fail "bin/$program does not lead to the program"

    entry="$prefix/share/applications/org.foldertools.$program.desktop"
    # " \ $ ` escaped, the backslashes doubled again, % doubled.
    expected="Exec=\"$tmp/my \\\\\$prefix \\\\\"x\\\\\" 100%%/bin/$program\" %f"
    [ "$(grep '^Exec=' "$entry")" = "$expected" ] || fail "$(grep '^Exec=' "$entry"), expected $expected"
    grep -q '^MimeType=inode/directory;$' "$entry" || fail "MimeType of $program"
    if command -v desktop-file-validate >/dev/null; then
        desktop-file-validate "$entry" || fail "desktop-file-validate $program"
    fi
    if command -v appstreamcli >/dev/null; then
        appstreamcli validate --no-net "$prefix/share/metainfo/org.foldertools.$program.metainfo.xml" >"$tmp/out" 2>&1 \
            || { cat "$tmp/out"; fail "appstreamcli validate $program"; }
    fi
done
[ -f "$prefix/share/doc/folder-tools/copyright" ] || fail "missing copyright"
gzip -t "$prefix/share/doc/folder-tools/changelog.gz" || fail "changelog.gz"

if [ $failures -ne 0 ]; then
    echo "$failures failed"; exit 1
fi
echo "PASS: install layout"
