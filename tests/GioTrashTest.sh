#!/usr/bin/env bash
# What the engine moves to the trash, GIO lists under its original path and
# restores. Skips (77) without gio, the gvfs trash daemon or the GIO module
# that talks to it (Debian: libglib2.0-bin, gvfs-daemons, gvfs).
set -u
driver=$1
command -v gio >/dev/null && command -v dbus-run-session >/dev/null \
    || { echo "SKIP: gio or dbus-run-session is missing"; exit 77; }
[ -x /usr/libexec/gvfsd-trash ] || { echo "SKIP: the gvfs trash daemon is missing"; exit 77; }
compgen -G "/usr/lib/*/gio/modules/libgvfsdbus.so" >/dev/null \
    || { echo "SKIP: the GIO module for gvfs (libgvfsdbus.so) is missing"; exit 77; }
tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT
export HOME="$tmp/home" XDG_DATA_HOME="$tmp/home/.local/share" XDG_RUNTIME_DIR="$tmp/run" LC_ALL=C.UTF-8
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
# gio restores non-ASCII names with their bytes written as \xHH, also for what
# gio trashed itself; so the Japanese name is checked in the listing only.
listed_name='古い データ %41'
restored_name='old data %41'
for name in "$listed_name" "$restored_name"; do
    mkdir -p "$tmp/work/$name/inner"
    printf 'keep me\n' >"$tmp/work/$name/inner/data.txt"
    "$driver" --trash "$tmp/work/$name" || { echo "FAIL: the engine did not trash $name"; exit 1; }
done

dbus-run-session -- bash -c '
    gio list -a trash::orig-path trash:/// >"$1/list" || exit 1
    gio trash --restore "$(gio list -u trash:/// | grep "old%20data")"
' _ "$tmp" >/dev/null 2>&1

# gio writes the path's non-ASCII bytes as \xHH.
listed=$(printf '%b' "$(grep -F "%41" "$tmp/list" | grep -v "old data" | sed -n 's/.*trash::orig-path=//p')")
[ "$listed" = "$tmp/work/$listed_name" ] || { echo "FAIL: gio lists"; cat "$tmp/list"; exit 1; }
[ "$(cat "$tmp/work/$restored_name/inner/data.txt" 2>/dev/null)" = "keep me" ] \
    || { echo "FAIL: gio did not restore $restored_name"; exit 1; }
echo "PASS: gio lists and restores what the engine trashed"
