#!/bin/sh
# Runs a test program as an ordinary user: where the suite runs as root,
# permission checks would never refuse anything. Exit 77 when that cannot be done.
set -u
if [ "$(id -u)" -ne 0 ]; then
    exec "$@"
fi
command -v setpriv >/dev/null 2>&1 || { echo "SKIP: setpriv missing"; exit 77; }
user=$(id -u nobody 2>/dev/null || echo 65534)
group=$(id -g nobody 2>/dev/null || echo 65534)
cd /tmp || exit 1
exec setpriv --reuid="$user" --regid="$group" --clear-groups env HOME=/tmp TMPDIR=/tmp "$@"
