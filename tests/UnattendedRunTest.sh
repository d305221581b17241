#!/bin/sh
# Launcher scripts run by /bin/sh start the real programs offscreen: the
# opener opens and quits, the remover removes and closes; a failure or a
# missing "-a" keeps the window up. Everything happens in a folder made here.
set -u
tervano=$1
quistel=$2
tmp=$(mktemp -d) || exit 1
# Each script runs in a process group of its own; whatever is still up at the
# end (also after a failure or a kill by ctest) is ended with its group.
groups=
cleanup() {
    for g in $groups; do kill -KILL -- "-$g" 2>/dev/null; done
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP
export HOME="$tmp/home" XDG_DATA_HOME="$tmp/data" XDG_CONFIG_HOME="$tmp/config" XDG_RUNTIME_DIR="$tmp/run"
export QT_QPA_PLATFORM=offscreen FT_OPEN_LOG="$tmp/opened.log"
unset DBUS_SESSION_BUS_ADDRESS
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$tmp/bin"
chmod 700 "$XDG_RUNTIME_DIR"
cat >"$tmp/bin/xdg-open" <<'SH'
#!/bin/sh
printf '%s\n' "$1" >>"$FT_OPEN_LOG"
SH
chmod +x "$tmp/bin/xdg-open"
export PATH="$tmp/bin:/usr/bin:/bin"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Writes a launcher script the way the programs do: each piece in single quotes.
script() {
    out=$1; shift
    printf '#!/bin/sh\n' >"$out"
    sep=
    for piece in "$@"; do
        printf "%s'%s'" "$sep" "$(printf '%s' "$piece" | sed "s/'/'\\\\''/g")" >>"$out"
        sep=' '
    done
    printf '\n' >>"$out"
    chmod +x "$out"
}

# Runs a script; "exits" when the program must end by itself within 10 s,
# "stays" when it must still be up after 2 s (then it is stopped).
run() {
    expect=$1 file=$2
    # The shell does not always exec the program, so stopping the shell alone
    # would leave the program running: stop the whole group instead.
    setsid /bin/sh "$file" >"$tmp/out" 2>&1 &
    pid=$!
    groups="$groups $pid"
    if [ "$expect" = exits ]; then
        i=0
        while kill -0 "$pid" 2>/dev/null && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
        if kill -0 "$pid" 2>/dev/null; then
            kill -- "-$pid"; wait "$pid" 2>/dev/null; return 1
        fi
        wait "$pid"; rc=$?
        [ $rc -eq 0 ] || { echo "exit code $rc"; cat "$tmp/out"; return 1; }
    else
        sleep 2
        kill -0 "$pid" 2>/dev/null || { cat "$tmp/out"; return 1; }
        kill -- "-$pid"; wait "$pid" 2>/dev/null
    fi
    return 0
}

victim() {
    rm -rf "$tmp/tree"
    mkdir -p "$tmp/tree/it's old/inner"
    echo "data" >"$tmp/tree/it's old/inner/file"
    printf '%s' "$tmp/tree/it's old"
}

# Opener: an existing folder opens and the program ends.
dir=$(victim)
script "$tmp/open.sh" "$tervano" -a "$dir"
run exits "$tmp/open.sh" || fail "opener did not end after opening"
grep -q "/tree/it's%20old/\$" "$FT_OPEN_LOG" 2>/dev/null || grep -q "/tree/it%27s%20old/\$" "$FT_OPEN_LOG" 2>/dev/null \
    || fail "the file manager was not asked for the folder: $(cat "$FT_OPEN_LOG" 2>/dev/null)"

# Qt's own options are folders like any other text: "-platform xcb" would end
# a run without a display, and the last of them is the folder that opens.
dir=$(victim)
: >"$FT_OPEN_LOG"
script "$tmp/qt-options.sh" "$tervano" -platform xcb -style windows -a "$dir" -reverse
mkdir -p "$tmp/cwd/-reverse"
(cd "$tmp/cwd" && unset DISPLAY WAYLAND_DISPLAY && run exits "$tmp/qt-options.sh") || fail "Qt took options of the opener's command line"
grep -q -- "-reverse/\$" "$FT_OPEN_LOG" 2>/dev/null || fail "-reverse was not the folder: $(cat "$FT_OPEN_LOG" 2>/dev/null)"

# Opener: a missing folder keeps the warning on screen.
script "$tmp/open-missing.sh" "$tervano" -a "$tmp/tree/gone"
run stays "$tmp/open-missing.sh" || fail "opener ended although the folder is missing"

# Remover, permanently, with the switches in another order.
dir=$(victim)
script "$tmp/remove1.sh" "$quistel" "-t=1" "$dir" -a
run exits "$tmp/remove1.sh" || fail "remover -t=1 did not end by itself"
[ ! -e "$dir" ] || fail "remover -t=1 left the folder"
[ -z "$(ls -A "$XDG_DATA_HOME/Trash/files" 2>/dev/null)" ] || fail "remover -t=1 used the trash"

# Remover into the trash.
dir=$(victim)
script "$tmp/remove0.sh" "$quistel" -a "$dir" "-t=0"
run exits "$tmp/remove0.sh" || fail "remover -t=0 did not end by itself"
[ ! -e "$dir" ] || fail "remover -t=0 left the folder"
[ -f "$XDG_DATA_HOME/Trash/files/it's old/inner/file" ] || fail "remover -t=0 did not trash the folder"

# Look-alikes of the switches are folders: nothing runs, nothing is removed.
for fake in -A -T=1 /a; do
    dir=$(victim)
    script "$tmp/fake.sh" "$quistel" "$dir" "$fake"
    run stays "$tmp/fake.sh" || fail "remover took $fake for a switch"
    [ -e "$dir/inner/file" ] || fail "remover removed the folder with $fake"
done

if [ $failures -ne 0 ]; then
    echo "$failures failed"; exit 1
fi
echo "PASS: unattended runs of both programs"
