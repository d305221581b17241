#!/usr/bin/env bash
# Builds the Debian package, checks it (lintian without errors, desktop
# entries, AppStream metadata), installs it with apt-get and runs the
# installed programs from PATH: the opener and the remover unattended, the
# help beside each executable, and the launcher scripts written by the
# installed programs. Meant for a pristine machine; elsewhere the package is
# purged again at the end unless it was installed before (KEEP_PACKAGE=1
# keeps it). Everything the programs touch lies in a folder made here.
set -euo pipefail
cd "$(dirname "$0")/.."

deb=$(bash scripts/build-package.sh | tail -n 1)
bash scripts/install-packages.sh lintian desktop-file-utils appstream xvfb xauth xdotool

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)

tmp=$(mktemp -d)
was_installed=0
dpkg-query -W -f='${Status}' folder-tools 2>/dev/null | grep -q "install ok installed" && was_installed=1
# Purges the package and exactly what its installation pulled in.
cleanup() {
    if [ "$was_installed" = 0 ] && [ "${KEEP_PACKAGE:-0}" != 1 ] && [ -f "$tmp/pulled" ]; then
        xargs -r "${sudo[@]}" apt-get -qq purge -y <"$tmp/pulled" >/dev/null 2>&1 || true
    fi
    rm -rf "$tmp"
}
trap cleanup EXIT

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

echo "== $deb"
dpkg-deb -I "$deb"
dpkg-deb -c "$deb"

echo "== lintian"
status=0
lintian --fail-on error --info "$deb" >"$tmp/lintian" 2>&1 || status=$?
# Lintian warns when run as root; its findings are what matter.
grep -v "running with root privileges" "$tmp/lintian" || true
[ $status -eq 0 ] && pass "lintian: no errors" || fail "lintian reports errors"

echo "== desktop entries and metadata as packaged"
dpkg-deb -x "$deb" "$tmp/unpacked"
for entry in "$tmp"/unpacked/usr/share/applications/*.desktop; do
    desktop-file-validate "$entry" && pass "desktop-file-validate $(basename "$entry")" \
        || fail "desktop-file-validate $(basename "$entry")"
    grep -q '^Exec="/usr/bin/[a-z]*" %f$' "$entry" || fail "Exec of $(basename "$entry"): $(grep ^Exec= "$entry")"
done
appstreamcli validate --no-net "$tmp"/unpacked/usr/share/metainfo/*.metainfo.xml \
    && pass "appstreamcli validate" || fail "appstreamcli validate"

echo "== install"
apt-get -s install "$deb" | awk '/^Inst / { print $2 }' >"$tmp/pulled"
echo "installs: $(tr '\n' ' ' <"$tmp/pulled")"
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 -qq install -y "$deb"

# The programs' world: private home, no session bus, a fake xdg-open.
export HOME="$tmp/home" XDG_DATA_HOME="$tmp/data" XDG_CONFIG_HOME="$tmp/config" XDG_RUNTIME_DIR="$tmp/run"
export FT_OPEN_LOG="$tmp/opened.log"
unset DBUS_SESSION_BUS_ADDRESS
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$tmp/bin"
chmod 700 "$XDG_RUNTIME_DIR"
cat >"$tmp/bin/xdg-open" <<'SH'
#!/bin/sh
printf '%s\n' "$1" >>"$FT_OPEN_LOG"
SH
chmod +x "$tmp/bin/xdg-open"
export PATH="$tmp/bin:/usr/local/bin:/usr/bin:/bin"

echo "== on PATH, help beside the executable"
for program in tervano quistel; do
    found=$(command -v $program || true)
    [ "$found" = /usr/bin/$program ] || fail "$program on PATH is '$found'"
    real=$(readlink -f /usr/bin/$program)
    [ "$real" = /usr/lib/$program/$program ] || fail "/usr/bin/$program leads to '$real'"
    [ -f /usr/lib/$program/$program-html/index.html ] || fail "no HTML help beside $real"
    [ -f /usr/lib/$program/$program.chm ] || fail "no $program.chm beside $real"
    [ -f /usr/share/man/man1/$program.1.gz ] && [ -f /usr/share/man/ja/man1/$program.1.gz ] \
        || fail "manual pages of $program"
done

# The help action of a program started through its link finds the pages
# beside the real executable.
for program in tervano quistel; do
    : >"$FT_OPEN_LOG"
    title=${program^}
    keys="alt+h z"; [ $program = quistel ] && keys="alt+h h"   # ヘルプ(&H) > ヘルプ
    xvfb-run -a -s "-screen 0 800x600x24" bash -c '
        QT_QPA_PLATFORM=xcb "$1" & pid=$!
        win=$(timeout 20 xdotool search --sync --onlyvisible --name "^$2\$" | head -n 1)
        sleep 1
        xdotool windowfocus --sync "$win"
        xdotool key $3
        for _ in $(seq 50); do [ -s "$FT_OPEN_LOG" ] && break; sleep 0.1; done
        kill $pid; wait $pid 2>/dev/null || true
    ' _ $program "$title" "$keys" >"$tmp/xvfb.log" 2>&1 || cat "$tmp/xvfb.log"
    grep -q "^file:///usr/lib/$program/$program-html/index.html\$" "$FT_OPEN_LOG" \
        && pass "$program shows the help beside its executable" \
        || fail "help of $program: $(cat "$FT_OPEN_LOG")"
done

# Runs a command that must end by itself within 15 s with code 0.
ends() {
    "$@" >"$tmp/out" 2>&1 &
    local pid=$! i=0
    while kill -0 $pid 2>/dev/null && [ $i -lt 150 ]; do sleep 0.1; i=$((i + 1)); done
    if kill -0 $pid 2>/dev/null; then
        kill $pid; wait $pid 2>/dev/null || true; cat "$tmp/out"; return 1
    fi
    wait $pid || { cat "$tmp/out"; return 1; }
}

echo "== unattended runs from PATH"
mkdir -p "$tmp/work/to open" "$tmp/work/to remove/inner"
echo data >"$tmp/work/to remove/inner/file"
if QT_QPA_PLATFORM=offscreen ends tervano -a "$tmp/work/to open"; then
    grep -q "/work/to%20open/\$" "$FT_OPEN_LOG" && pass "tervano -a DIR" \
        || fail "tervano -a DIR did not ask for the folder: $(cat "$FT_OPEN_LOG" 2>/dev/null)"
else
    fail "tervano -a DIR did not end by itself"
fi
if QT_QPA_PLATFORM=offscreen ends quistel -a "$tmp/work/to remove" -t=1; then
    [ ! -e "$tmp/work/to remove" ] && pass "quistel -a DIR -t=1" || fail "quistel -a DIR -t=1 left the folder"
    [ -z "$(ls -A "$XDG_DATA_HOME/Trash/files" 2>/dev/null)" ] || fail "quistel -t=1 used the trash"
else
    fail "quistel -a DIR -t=1 did not end by itself"
fi

echo "== launcher scripts written by the installed programs"
# Started through their links in /usr/bin, the programs write the scripts
# from their File menus on a virtual display, driven by the keyboard; the
# scripts must name the real executables and do their work.
mkdir -p "$tmp/work/to trash/inner"
: >"$FT_OPEN_LOG"
for program in tervano quistel; do
    if [ $program = tervano ]; then
        folder="$tmp/work/to open" method=
    else
        folder="$tmp/work/to trash" method=" '-t=0'"
    fi
    script="$tmp/work/$program-launcher.sh"
    xvfb-run -a -s "-screen 0 800x600x24" bash scripts/write-launcher-script.sh \
        $program "$folder" "$script" >"$tmp/xvfb.log" 2>&1 || cat "$tmp/xvfb.log"
    expected=$(printf "#!/bin/sh\n'/usr/lib/%s/%s' '-a' '%s'%s" $program $program "$folder" "$method")
    if [ -f "$script" ] && [ "$(cat "$script")" = "$expected" ]; then
        pass "the script of $program names the installed executable"
    else
        fail "launcher script of $program: $(cat "$script" 2>/dev/null || echo missing); expected: $expected"
        continue
    fi
    QT_QPA_PLATFORM=offscreen ends /bin/sh "$script" || fail "the launcher script of $program did not end"
done
grep -q "/work/to%20open/\$" "$FT_OPEN_LOG" && pass "the opener's script opens the folder" \
    || fail "the opener's script did not open the folder"
[ ! -e "$tmp/work/to trash" ] && [ -d "$XDG_DATA_HOME/Trash/files/to trash/inner" ] \
    && pass "the remover's script trashes the folder" || fail "the remover's script did not trash the folder"

if [ $failures -ne 0 ]; then
    echo "$failures failed"; exit 1
fi
echo "PASS: the package builds, installs and runs"
