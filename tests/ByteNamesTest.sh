#!/bin/sh
# Names that are not UTF-8 (Shift_JIS "日本語" here) reach every surface of
# the programs as their exact bytes: the command line, the field, the folder
# test, the deletion, the trash's Path and the file manager's URI. A folder
# whose name is the U+FFFD spelling of the same name stands beside it and
# must never be touched. Everything happens in a folder made here.
set -u
tervano=$1
quistel=$2
tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT
trap 'exit 1' INT TERM HUP
export HOME="$tmp/home" XDG_DATA_HOME="$tmp/data" XDG_CONFIG_HOME="$tmp/config" XDG_RUNTIME_DIR="$tmp/run"
export QT_QPA_PLATFORM=offscreen FT_OPEN_LOG="$tmp/opened.log"
unset DBUS_SESSION_BUS_ADDRESS
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$tmp/bin"
chmod 700 "$XDG_RUNTIME_DIR"
printf '#!/bin/sh\nprintf "%%s\\n" "$1" >>"$FT_OPEN_LOG"\n' >"$tmp/bin/xdg-open"
chmod +x "$tmp/bin/xdg-open"
export PATH="$tmp/bin:/usr/bin:/bin"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

sjis=$(printf '\223\372\226\173\214\352')               # 日本語 in Shift_JIS
lookalike=$(printf '\357\277\275\357\277\275\357\277\275\357\277\275\357\277\275\357\277\275')

trees() {
    rm -rf "$tmp/tree"
    mkdir -p "$tmp/tree/$sjis/inner" "$tmp/tree/$lookalike"
    echo data >"$tmp/tree/$sjis/inner/file"
    echo other >"$tmp/tree/$lookalike/keep"
}

# Runs a program to its end (at most 10 s); 0 when it ended with 0.
finish() {
    timeout 10 "$@" >"$tmp/out" 2>&1 || { echo "$* did not end: $(cat "$tmp/out")"; return 1; }
}

trees
finish "$tervano" -a "$tmp/tree/$sjis" || fail "opener"
i=0  # xdg-open was started detached
while [ ! -s "$FT_OPEN_LOG" ] && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done
grep -qx "file://$tmp/tree/%93%FA%96%7B%8C%EA/" "$FT_OPEN_LOG" 2>/dev/null \
    || fail "URI: $(cat "$FT_OPEN_LOG" 2>/dev/null)"

trees
finish "$quistel" -a "$tmp/tree/$sjis" -t=1 || fail "remover -t=1"
[ ! -e "$tmp/tree/$sjis" ] || fail "-t=1 left the folder"
[ -f "$tmp/tree/$lookalike/keep" ] || fail "-t=1 touched the look-alike"

trees
finish "$quistel" -a "$tmp/tree/$sjis" -t=0 || fail "remover -t=0"
[ ! -e "$tmp/tree/$sjis" ] || fail "-t=0 left the folder"
[ -f "$XDG_DATA_HOME/Trash/files/$sjis/inner/file" ] || fail "-t=0: not in the trash under its own name"
grep -qx "Path=$(printf '%s' "$tmp" | sed 's/ /%20/g')/tree/%93%FA%96%7B%8C%EA" \
    "$XDG_DATA_HOME/Trash/info/$sjis.trashinfo" 2>/dev/null \
    || fail "trash Path: $(cat "$XDG_DATA_HOME/Trash/info/$sjis.trashinfo" 2>/dev/null)"
[ -f "$tmp/tree/$lookalike/keep" ] || fail "-t=0 touched the look-alike"

if [ $failures -ne 0 ]; then
    echo "$failures failed"; exit 1
fi
echo "PASS: byte-exact names in both programs"
