#!/usr/bin/env bash
# Sets up, builds and starts the opener. Without a display it runs on a
# virtual one (Xvfb) and saves a screenshot instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
exe=${BUILD_DIR:-build}/opener/tervano
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec "$exe" "$@"
fi
shot=${SCREENSHOT:-screenshots/tervano.png}
mkdir -p "$(dirname "$shot")"
# A private session bus as a desktop has one: without it Qt's start-up waits
# seconds for a bus to be launched.
bus=()
[ -n "${DBUS_SESSION_BUS_ADDRESS:-}" ] || bus=(dbus-run-session --)
"${bus[@]}" xvfb-run -a -s "-screen 0 800x600x24" bash -c '
    QT_QPA_PLATFORM=xcb "$1" "${@:3}" & pid=$!
    sleep 2
    import -window root "$2"
    kill $pid; wait $pid 2>/dev/null || true
' _ "$exe" "$shot" "$@"
echo "No display here: the opener ran on a virtual display; screenshot saved to $shot"
