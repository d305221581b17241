#!/bin/sh
# The built program starts offscreen and stays up; without any display it
# says so on standard error and ends without a core dump.
set -u
exe=$1
tmp=$(mktemp -d) || exit 1
pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$tmp"' EXIT
trap 'exit 1' INT TERM HUP
export HOME="$tmp" XDG_DATA_HOME="$tmp/data" XDG_CONFIG_HOME="$tmp/config" XDG_RUNTIME_DIR="$tmp"
unset DBUS_SESSION_BUS_ADDRESS

QT_QPA_PLATFORM=offscreen "$exe" 2>"$tmp/err" &
pid=$!
sleep 1
if ! kill -0 "$pid" 2>/dev/null; then
    echo "FAIL: $exe did not stay up"; cat "$tmp/err"; exit 1
fi
kill "$pid"; wait "$pid" 2>/dev/null; pid=

env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$exe" >/dev/null 2>"$tmp/err"
rc=$?
if [ "$rc" -ne 1 ] || ! grep -q "no usable display" "$tmp/err"; then
    echo "FAIL: without a display: exit $rc"; cat "$tmp/err"; exit 1
fi
echo "PASS: $exe starts offscreen and refuses cleanly without a display"
