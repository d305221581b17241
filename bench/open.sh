#!/usr/bin/env bash
# Times the unattended open (tervano -a DIR, offscreen, a fake xdg-open)
# against a bare Qt window that shows itself and quits at its first idle
# moment, alternated over ROUNDS rounds in one run; prints the median wall
# time and peak memory (kB) of each and their ratios. A third run, the bare
# window with one line of Japanese, shows what text alone costs (fontconfig
# and a CJK font), which the bare window never pays.
#
#   bash bench/open.sh          # ROUNDS=30
#
# Wall time follows the load of the machine, printed with the figures.
set -euo pipefail
cd "$(dirname "$0")/.."

rounds=${ROUNDS:-30}
build=${BUILD_DIR:-build}
if [ ! -x "$build/opener/tervano" ] || [ ! -x "$build/bench/ft_bare_window" ]; then
    [ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} >/dev/null
    cmake --build "$build" --target tervano ft_bare_window >/dev/null
fi
tervano=$(realpath "$build/opener/tervano")
bare=$(realpath "$build/bench/ft_bare_window")
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian package time)" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/ft-bench-open-XXXXXX")
trap 'rm -rf -- "$work"' EXIT
mkdir -p "$work/bin" "$work/folder" "$work/run"
chmod 700 "$work/run"
printf '#!/bin/sh\nexit 0\n' >"$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
export HOME=$work XDG_RUNTIME_DIR=$work/run QT_QPA_PLATFORM=offscreen PATH="$work/bin:$PATH"
unset DBUS_SESSION_BUS_ADDRESS

measure() { # prints "seconds kB"; wall time in ns, since %e has 10 ms steps
    local start end
    start=$(date +%s%N)
    /usr/bin/time -f '%M' -o "$work/t" "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    echo "$(awk -v d=$((end - start)) 'BEGIN { printf "%.4f", d / 1e9 }') $(cat "$work/t")"
}
median() { sort -n | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
# One unrecorded round first: the first start of each reads its libraries
# and fonts from disk, which no later round does.
for ((i = -1; i < rounds; i++)); do
    if [ "$i" -eq 0 ]; then
        : >"$work/open"; : >"$work/bare"; : >"$work/text"
    fi
    measure "$tervano" -a "$work/folder" >>"$work/open"
    measure "$bare" >>"$work/bare"
    measure "$bare" --text >>"$work/text"
done
col() { cut -d' ' -f"$2" "$work/$1" | median; }
printf '%-34s %10s %12s\n' "" "median s" "peak kB"
printf '%-34s %10s %12s\n' "tervano -a DIR" "$(col open 1)" "$(col open 2)" \
    "bare Qt window" "$(col bare 1)" "$(col bare 2)" "bare Qt window, one Japanese line" "$(col text 1)" "$(col text 2)"
ratio() {
    awk -v a="$(col open 1)" -v b="$(col "$1" 1)" -v c="$(col open 2)" -v d="$(col "$1" 2)" -v name="$2" \
        'BEGIN { printf "ratio tervano / %s: time %.3f, memory %.3f\n", name, a / b, c / d }'
}
ratio bare "bare window"
ratio text "bare window with text"
echo "load average before and after: $load_before / $(cut -d' ' -f1-3 /proc/loadavg)"
