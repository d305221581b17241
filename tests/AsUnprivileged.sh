#!/bin/sh
# Runs a test program as an unprivileged user when the suite runs as root,
# since root passes every permission check that such a test is about.
# Skips (77) where no such user can be taken.
set -u
[ "$(id -u)" -ne 0 ] && exec "$@"
command -v setpriv >/dev/null || { echo "SKIP: setpriv is missing"; exit 77; }
user=${FT_UNPRIVILEGED_USER:-nobody}
uid=$(id -u "$user" 2>/dev/null) && gid=$(id -g "$user" 2>/dev/null) \
    || { echo "SKIP: no user $user"; exit 77; }
# The program must be reachable for that user through every folder above it.
setpriv --reuid="$uid" --regid="$gid" --clear-groups test -x "$1" \
    || { echo "SKIP: $1 is not reachable for $user"; exit 77; }
exec setpriv --reuid="$uid" --regid="$gid" --clear-groups \
    env HOME=/nonexistent TMPDIR=/tmp "$@"
