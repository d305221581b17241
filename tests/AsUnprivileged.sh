#!/bin/sh
# Runs a test program without the privilege to bypass file permissions when
# the suite runs as root, since root passes every permission check that such
# a test is about. As an ordinary user (nobody) where that user can reach the
# program; otherwise (a root folder closed to others, as in some chroots) as
# root without the capabilities that override permissions.
# Skips (77) where neither can be had.
set -u
[ "$(id -u)" -ne 0 ] && exec "$@"
command -v setpriv >/dev/null || { echo "SKIP: setpriv is missing"; exit 77; }
user=${FT_UNPRIVILEGED_USER:-nobody}
if uid=$(id -u "$user" 2>/dev/null) && gid=$(id -g "$user" 2>/dev/null) \
    && setpriv --reuid="$uid" --regid="$gid" --clear-groups test -x "$1" 2>/dev/null; then
    exec setpriv --reuid="$uid" --regid="$gid" --clear-groups \
        env HOME=/nonexistent TMPDIR=/tmp "$@"
fi
caps=-dac_override,-dac_read_search,-fowner
setpriv --bounding-set="$caps" --inh-caps="$caps" true 2>/dev/null \
    || { echo "SKIP: neither $user nor a root without override capabilities can run $1"; exit 77; }
exec setpriv --bounding-set="$caps" --inh-caps="$caps" "$@"
