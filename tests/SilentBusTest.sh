#!/bin/sh
# A session bus that takes the connection but never answers (a stopped
# dbus-daemon) must not hold the opener: on a virtual X display it shows its
# window, hands the folder to xdg-open and ends. Without the check each of
# the toolkit's start-up calls waited out libdbus's 25 s; the bound here only
# tells an end from a hang. Skipped (77) without Xvfb or dbus-daemon.
set -u
tervano=$1
command -v xvfb-run >/dev/null && command -v dbus-daemon >/dev/null || { echo "SKIP: needs xvfb-run and dbus-daemon"; exit 77; }
tmp=$(mktemp -d) || exit 1
daemon=
cleanup() {
    [ -n "$daemon" ] && { kill -CONT "$daemon"; kill "$daemon"; } 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP
export HOME="$tmp/home" XDG_DATA_HOME="$tmp/data" XDG_CONFIG_HOME="$tmp/config" XDG_RUNTIME_DIR="$tmp/run"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$tmp/bin" "$tmp/dir"
chmod 700 "$XDG_RUNTIME_DIR"
printf '#!/bin/sh\nprintf "%%s\\n" "$1" >>"%s/opened.log"\n' "$tmp" >"$tmp/bin/xdg-open"
chmod +x "$tmp/bin/xdg-open"
export PATH="$tmp/bin:/usr/bin:/bin"

daemon=$(dbus-daemon --session --address="unix:path=$tmp/bus" --fork --print-pid) || { echo "SKIP: no dbus-daemon"; exit 77; }
kill -STOP "$daemon"
export DBUS_SESSION_BUS_ADDRESS="unix:path=$tmp/bus"

if ! QT_QPA_PLATFORM=xcb timeout 20 xvfb-run -a -s "-screen 0 800x600x24" "$tervano" -a "$tmp/dir" >"$tmp/out" 2>&1; then
    echo "FAIL: the opener did not end with a silent session bus"; cat "$tmp/out"; exit 1
fi
i=0
while [ ! -s "$tmp/opened.log" ] && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done
grep -qx "file://$tmp/dir/" "$tmp/opened.log" 2>/dev/null || { echo "FAIL: not opened: $(cat "$tmp/opened.log" 2>/dev/null)"; exit 1; }
echo "PASS: a silent session bus holds nothing"
