#!/usr/bin/env bash
# Runs the Windows programs from the zip under Wine on a virtual display
# (Xvfb) and checks them as a user would: windows, About dialogs, help,
# unattended runs on a temporary Wine drive and a launcher .bat written by
# the program itself, under code page 932.
#
# Needs the cached Qt for Windows (scripts/build-qt-windows.sh). Without it
# the run is skipped with exit 0, unless BUILD_QT=1 asks to build it (about
# an hour on two cores).
#
#   WIN_GUI_BUILD_DIR  build folder (default build-windows-gui); the Wine
#                      prefix and the test's folders live inside it
#   SHOTS_DIR          where the screenshots go (default <build>/shots)
#   BUILD_QT=1         build Qt for Windows when it is not cached
# Installs its own packages (as root or through sudo) when they are missing.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS

if ! qt_prefix=$(bash scripts/build-qt-windows.sh --print-prefix 2>/dev/null); then
    qt_prefix="${QT_WIN_CACHE:-/var/cache/tervano-qt-win}/<version>-<hash>"
fi
if [ ! -f "$qt_prefix/.complete" ] && [ "${BUILD_QT:-0}" != 1 ]; then
    echo "test-windows-gui: skipped: no cached Qt for Windows at $qt_prefix (BUILD_QT=1 builds it)"
    exit 0
fi

build=${WIN_GUI_BUILD_DIR:-build-windows-gui}
export WIN_GUI_BUILD_DIR=$build
bash scripts/package-windows.sh
build=$(cd "$build" && pwd)
packaged=$SECONDS

bash scripts/install-packages.sh wine64 xvfb xauth xdotool x11-utils imagemagick \
    locales fonts-ipafont-gothic
# Wine takes its ANSI code page from the locale: Japanese gives 932.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
    sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi

source scripts/find-wine.sh

shots=${SHOTS_DIR:-$build/shots}
mkdir -p "$shots"
work=$build/wine-test
rm -rf "$work"
mkdir -p "$work/app" "$work/drive" "$work/bin" "$build/wine-home"
zip=$(ls -t "$build"/tervano-quistel-*-win64.zip | head -n 1)
(cd "$work/app" && cmake -E tar xf "$zip")
app=$(cd "$work/app"/tervano-quistel-win64 && pwd)

# A private prefix and home, Japanese locale, no debug noise, no offers to
# install Mono or Gecko.
export WINEPREFIX=$build/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
export WINELOADER=$wine
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
export HOME=$build/wine-home
export XDG_DATA_HOME=$HOME/.local/share XDG_CONFIG_HOME=$HOME/.config
unset WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS
# Wine hands links to the desktop through xdg-open; this one only records.
export FT_OPEN_LOG=$work/opened.log
cat >"$work/bin/xdg-open" <<'SH'
#!/bin/sh
printf '%s\n' "$*" >>"$FT_OPEN_LOG"
SH
chmod +x "$work/bin/xdg-open"
export PATH="$work/bin:$PATH"

# Our own display; whatever it and Wine started ends with this script.
display=
for n in $(seq 90 140); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
        display=:$n
        break
    fi
done
[ -n "$display" ] || { echo "test-windows-gui: no free display number" >&2; exit 1; }
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
cleanup() {
    "$wineserver" -k 2>/dev/null || true
    "$wineserver" -w 2>/dev/null || true
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    rm -f "$WINEPREFIX/dosdevices/t:"
}
trap cleanup EXIT
export DISPLAY=$display
for _ in $(seq 50); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.2
done
xdpyinfo >/dev/null 2>&1 || { echo "test-windows-gui: Xvfb did not start" >&2; cat "$work/xvfb.log"; exit 1; }

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "== Wine prefix $WINEPREFIX"
    "$wine" wineboot --init >/dev/null 2>&1 || true
    "$wineserver" -w 2>/dev/null || true
fi
# Drive T: is the test's own folder: everything deleted lives there.
ln -sfn "$work/drive" "$WINEPREFIX/dosdevices/t:"
rm -rf "$XDG_DATA_HOME/Trash"
prefixed=$SECONDS

failures=0
pass() { echo "PASS: $*"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Window helpers. Names are matched whole.
find_window() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1; }
# wait_window NAME [TRIES]; WINDOW_MATCH=regex matches a part of the name instead.
wait_window() {
    local id pattern="^$1\$"
    [ -n "${WINDOW_MATCH:-}" ] && pattern=$WINDOW_MATCH
    for _ in $(seq "${2:-150}"); do
        id=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -n 1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.2
    done
    return 1
}
wait_gone() {
    for _ in $(seq "${2:-100}"); do
        [ -z "$(find_window "$1")" ] && return 0
        sleep 0.2
    done
    return 1
}
size_of() { xwininfo -id "$1" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }'; }
press() {
    local id=$1
    shift
    xdotool windowfocus "$id" 2>/dev/null || true
    sleep 0.3
    for key in "$@"; do
        xdotool key "$key" || true
        sleep 0.4
    done
}
# Without a window manager Wine keeps its own keyboard focus: a click brings
# a window to the front for Wine as well, so that keys reach it. The click
# goes to a neutral spot (X Y inside the window, default the status bar).
activate() {
    local id=$1 x=${2:-200} y
    y=${3:-$(($(xwininfo -id "$id" | awk '/Height:/ { print $2 }') - 8))}
    xdotool windowraise "$id" 2>/dev/null || true
    xdotool mousemove --window "$id" "$x" "$y" click 1 2>/dev/null || true
    sleep 0.4
}
# wait_other_window CLASS_REGEX EXCEPT: a visible window of that X class
# other than EXCEPT, e.g. Wine's own file dialog, which has no title.
wait_other_window() {
    local w
    for _ in $(seq "${3:-50}"); do
        for w in $(xdotool search --onlyvisible --classname "$1" 2>/dev/null); do
            [ "$w" != "$2" ] && { echo "$w"; return 0; }
        done
        sleep 0.2
    done
    return 1
}
shot() { import -window root "$shots/$1.png" 2>/dev/null || echo "(no screenshot $1)"; }
# Waits for a background Wine process and checks its exit code.
wait_exit() {
    local pid=$1 what=$2 rc
    for _ in $(seq "${3:-150}"); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.2
    done
    if kill -0 "$pid" 2>/dev/null; then
        fail "$what did not end"
        return 1
    fi
    rc=0
    wait "$pid" || rc=$?
    [ "$rc" -eq 0 ] || { fail "$what ended with exit code $rc"; return 1; }
    return 0
}

echo "== under $("$wine" --version 2>/dev/null || echo Wine) on $display, code page 932"

# The version resources, as a resource compiler reads them back.
for pair in tervano:0.0.2.0 quistel:0.1.0.0; do
    program=${pair%%:*} version=${pair#*:}
    # Read whole first: grep -q stopping early would kill windres by SIGPIPE,
    # which pipefail reports as a failure.
    resources=$(x86_64-w64-mingw32-windres -i "$app/$program.exe" -O rc 2>/dev/null || true)
    if grep -q "FILEVERSION ${version//./, }" <<<"$resources"; then
        pass "$program.exe carries FILEVERSION $version"
    else
        fail "$program.exe has no FILEVERSION $version"
    fi
done

# 1. Both windows at their size, and their About dialogs.
check_window() {
    local exe=$1 title=$2 width=$3 about_keys=$4 id about pid
    "$wine" "$app/$exe" >"$work/$exe.log" 2>&1 &
    pid=$!
    if ! id=$(wait_window "$title"); then
        fail "$exe showed no window \"$title\""
        return
    fi
    sleep 1
    local size
    size=$(size_of "$id")
    if [ "${size%x*}" = "$width" ]; then
        pass "$exe shows \"$title\" ($size)"
    else
        fail "$exe window is $size, not $width wide"
    fi
    shot "${exe%.exe}-window"
    # shellcheck disable=SC2086
    press "$id" $about_keys
    if about=$(wait_window "バージョン情報" 50); then
        size=$(size_of "$about")
        [ "$size" = 273x195 ] && pass "$exe About dialog ($size)" || fail "$exe About dialog is $size"
        sleep 0.5
        shot "${exe%.exe}-about"
        press "$about" Return
        wait_gone "バージョン情報" || fail "$exe About dialog did not close"
    else
        fail "$exe showed no About dialog"
        shot "${exe%.exe}-no-about"
    fi
    press "$id" alt+F4
    wait_exit "$pid" "$exe" && pass "$exe closed with exit code 0"
}
check_window tervano.exe Tervano 426 "alt+h y"
check_window quistel.exe Quistel 426 "alt+h a"

# 2. Help in Wine's HTML Help viewer; the opener's exit action closes it.
"$wine" "$app/tervano.exe" >"$work/help.log" 2>&1 &
pid=$!
if id=$(wait_window Tervano); then
    sleep 1
    press "$id" alt+h z
    if wait_window "Tervano ヘルプ" 75 >/dev/null; then
        sleep 2
        shot tervano-help
        pass "help opened tervano.chm in the HTML Help viewer"
        # The viewer now has the focus, as it would for a user.
        activate "$id"
        press "$id" alt+f x
        wait_exit "$pid" "tervano.exe after the exit action" && pass "the exit action ended tervano"
        wait_gone "Tervano ヘルプ" 25 && pass "the help viewer closed with it" \
            || fail "the help viewer stayed open"
    else
        shot tervano-no-help
        fail "no help viewer window"
        press "$id" alt+F4
        wait_exit "$pid" tervano.exe || true
    fi
else
    fail "tervano.exe showed no window for the help check"
fi
"$wineserver" -k 2>/dev/null || true
"$wineserver" -w 2>/dev/null || true

# 3. Unattended removal on drive T:, permanently and into Wine's trash.
victim() {
    rm -rf "$work/drive/$1"
    mkdir -p "$work/drive/$1/inner"
    echo data >"$work/drive/$1/inner/file"
}
victim permanent
keep=$work/drive/keep
mkdir -p "$keep" && echo keep >"$keep/file"
"$wine" "$app/quistel.exe" -a 'T:\permanent' -t=1 >"$work/q1.log" 2>&1 &
if wait_exit $! "quistel -a T:\\permanent -t=1" 150; then
    if [ ! -e "$work/drive/permanent" ] && [ -f "$keep/file" ]; then
        pass "quistel -t=1 removed T:\\permanent and nothing else"
    else
        fail "quistel -t=1: $(ls -A "$work/drive" | tr '\n' ' ')"
    fi
fi

victim trashed
"$wine" "$app/quistel.exe" -a 'T:\trashed' -t=0 >"$work/q0.log" 2>&1 &
if wait_exit $! "quistel -a T:\\trashed -t=0" 150; then
    if [ ! -e "$work/drive/trashed" ] && [ -f "$XDG_DATA_HOME/Trash/files/trashed/inner/file" ]; then
        pass "quistel -t=0 moved T:\\trashed into Wine's trash"
    else
        fail "quistel -t=0: drive: $(ls -A "$work/drive" | tr '\n' ' '); trash: $(ls -A "$XDG_DATA_HOME/Trash/files" 2>/dev/null | tr '\n' ' ')"
    fi
fi

"$wine" "$app/quistel.exe" -a 'T:\gone' -t=1 >"$work/qm.log" 2>&1 &
pid=$!
if id=$(wait_window "警告"); then
    sleep 1
    shot quistel-missing-folder
    pass "quistel -a on a missing folder shows the warning"
    press "$id" Return
    wait_exit "$pid" "quistel after the warning" && pass "quistel closed after the warning, exit code 0"
else
    fail "quistel -a on a missing folder showed no warning"
    shot quistel-no-warning
fi
[ -f "$keep/file" ] || fail "the bystander folder was touched"

# 4. The opener hands the folder to the shell and quits. Wine's shell shows
# a folder in its own explorer window, named after the folder; links it
# hands to the desktop go through xdg-open, which here only records.
victim opened
: >"$FT_OPEN_LOG"
"$wine" "$app/tervano.exe" -a 'T:\opened' >"$work/t.log" 2>&1 &
if wait_exit $! "tervano -a T:\\opened" 150; then
    pass "tervano -a T:\\opened quit with exit code 0"
fi
if id=$(wait_window opened 75); then
    sleep 1
    shot tervano-open-explorer
    pass "Wine's shell shows T:\\opened in its explorer window"
elif grep -q "opened" "$FT_OPEN_LOG" 2>/dev/null; then
    pass "Wine's shell passed on: $(head -n 1 "$FT_OPEN_LOG")"
else
    fail "the shell showed no window for T:\\opened and xdg-open got: $(cat "$FT_OPEN_LOG" 2>/dev/null)"
    shot tervano-open
fi
[ -d "$work/drive/opened" ] || fail "opening removed the folder"
"$wineserver" -k 2>/dev/null || true
"$wineserver" -w 2>/dev/null || true

# 5. A launcher written by quistel itself, run by Wine's cmd: a blank, a
# percent sign and Japanese characters in the folder name.
folder='削除 100% テスト'
victim "$folder"
bat_name=launcher.bat
rm -f "$work/drive"/launcher*
"$wine" "$app/quistel.exe" "T:\\$folder" -t=1 >"$work/qb.log" 2>&1 &
pid=$!
if id=$(wait_window Quistel); then
    sleep 1
    # File menu: browse, open, create a batch file.
    press "$id" alt+f Down Down Return
    # Wine's save dialog has no title: it is quistel's other window.
    if dialog=$(wait_other_window '^quistel\.exe$' "$id"); then
        sleep 1
        activate "$dialog" 200 20
        shot quistel-save-dialog
        # Typed as a user would, without the extension: the dialog adds it.
        xdotool windowfocus "$dialog" 2>/dev/null || true
        xdotool type --delay 60 'T:\launcher'
        sleep 0.5
        press "$dialog" Return
        if info=$(wait_window "情報" 50); then
            shot quistel-batch-written
            press "$info" Return
        else
            fail "no information box after saving"
        fi
    else
        fail "no save dialog"
        shot quistel-no-save-dialog
    fi
    press "$id" alt+F4
    wait_exit "$pid" "quistel after writing the launcher" || true
else
    fail "quistel.exe showed no window for the launcher check"
fi
bat=$(find "$work/drive" -maxdepth 1 -type f -iname "$bat_name" | head -n 1)
if [ -n "$bat" ] && [ -f "$bat" ]; then
    line=$(iconv -f CP932 -t UTF-8 "$bat" 2>/dev/null || echo "(not CP932)")
    if printf '%s' "$line" | tr -d '\r' | grep -q "^\"[A-Z]:.*quistel.exe\" \"-a\" \"T:\\\\削除 100%% テスト\" \"-t=1\"\$" \
        && [ "$(tail -c 2 "$bat" | od -An -tx1 | tr -d ' ')" = 0d0a ]; then
        pass "launcher line in code page 932: $(printf '%s' "$line" | tr -d '\r')"
    else
        fail "launcher line: $line"
    fi
    (cd "$work/drive" && "$wine" cmd /c "T:\\$bat_name" >"$work/cmd.log" 2>&1) &
    if wait_exit $! "cmd /c $bat_name" 200; then
        if [ ! -e "$work/drive/$folder" ] && [ -f "$keep/file" ]; then
            pass "the launcher run by cmd removed T:\\$folder"
        else
            fail "the launcher left: $(ls -A "$work/drive" | tr '\n' ' ')"
        fi
    fi
else
    fail "quistel wrote no launcher: $(ls -A "$work/drive" | tr '\n' ' ')"
fi

echo "== package $((packaged - started)) s, Wine prefix $((prefixed - packaged)) s," \
    "checks $((SECONDS - prefixed)) s; screenshots in $shots"
if [ "$failures" -ne 0 ]; then
    echo "test-windows-gui: $failures check(s) failed"
    exit 1
fi
echo "test-windows-gui: all checks passed"
