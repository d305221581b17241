#!/usr/bin/env bash
# Times the remover's deletion against the usual tools, in one run:
#   permanent deletion  vs  rm -rf
#   trashing            vs  gio trash, trash-put
# on trees of 10,000 and 100,000 files (100 files per folder), each pair
# alternated over several rounds (ROUNDS for deletion, TRASH_ROUNDS for the
# trash); prints the median times, their ratios and the peak memory (kB,
# /usr/bin/time %M). Trees, trash and home live only in a
# temporary folder that this script makes and removes.
#
#   bash bench/delete.sh                 # ROUNDS=3 TRASH_ROUNDS=15 SIZES="10000 100000"
#   BENCH_TMPFS=1 bash bench/delete.sh   # as root: in a private tmpfs
#
# With --million (as root) it times permanent deletion of a million files
# (1,000 folders of 1,000) against rm -rf, and against two rm -rf working on
# the two halves at once, on an ext4 file system in a loop image that the
# script makes and removes and on a tmpfs, over BIG_ROUNDS rounds (3); then
# the peak memory at a thousand files, and the most descriptors the remover
# held open at once during one more run on a million. BIG_FS picks the file
# systems ("ext4 tmpfs").
#
#   bash bench/delete.sh --million
set -euo pipefail
cd "$(dirname "$0")/.."

rounds=${ROUNDS:-3}
trash_rounds=${TRASH_ROUNDS:-15}
sizes=${SIZES:-"10000 100000"}
build=${BUILD_DIR:-build}
driver=$build/bench/ft_delete
if [ ! -x "$driver" ]; then
    [ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} >/dev/null
    cmake --build "$build" --target ft_delete >/dev/null
fi
driver=$(realpath "$driver")
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian package time)" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/ft-bench-XXXXXX")
mounted=0
big_mounts=()
cleanup() {
    local m
    for m in "${big_mounts[@]}"; do
        umount "$m" 2>/dev/null || true
    done
    [ "$mounted" = 1 ] && umount "$work" 2>/dev/null || true
    rm -rf --one-file-system -- "$work"
}
trap cleanup EXIT
if [ "${BENCH_TMPFS:-0}" = 1 ]; then
    mount -t tmpfs -o size=2g tmpfs "$work" && mounted=1
fi
export HOME=$work/home XDG_DATA_HOME=$work/home/.local/share
unset DBUS_SESSION_BUS_ADDRESS
mkdir -p "$XDG_DATA_HOME"
trees=$work/trees
mkdir -p "$trees"

have() { command -v "$1" >/dev/null 2>&1; }

# make_tree DIR N: N empty files, 100 per folder.
make_tree() {
    local dir=$1 n=$2 i
    mkdir -p "$dir"
    if [ "$n" -le 1 ]; then
        : >"$dir/only"
        return
    fi
    for ((i = 0; i < n / 100; i++)); do
        mkdir "$dir/d$i"
        (cd "$dir/d$i" && seq -f 'f%g' 1 100 | xargs touch)
    done
}

# run TOOL DIR: prints "seconds kB" for deleting DIR with TOOL.
run() {
    local tool=$1 dir=$2 start end mem
    local -a cmd
    case $tool in
    ours-permanent) cmd=("$driver" --permanent "$dir") ;;
    rm) cmd=(rm -rf "$dir") ;;
    ours-trash) cmd=("$driver" --trash "$dir") ;;
    gio) cmd=(gio trash "$dir") ;;
    trash-put) cmd=(trash-put "$dir") ;;
    esac
    sync
    # No fork between the two clock readings but the tool's own.
    start=${EPOCHREALTIME/[.,]/}
    /usr/bin/time -o "$work/peak" -f %M "${cmd[@]}" >/dev/null 2>&1
    end=${EPOCHREALTIME/[.,]/}
    mem=$(tail -n1 "$work/peak")
    [ ! -e "$dir" ] || { echo "$tool left $dir" >&2; exit 1; }
    echo "$((end - start)) $mem"
}

# Empties the trash but keeps its folders, so no run pays for making them.
empty_trash() {
    local t=$XDG_DATA_HOME/Trash
    mkdir -p "$t/files" "$t/info"
    find "$t/files" "$t/info" -mindepth 1 -maxdepth 1 -exec rm -rf -- {} +
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# pair SIZE TOOL...: alternates the tools over the rounds; fills the tables.
declare -A times mems
pair() {
    local size=$1; shift
    local -a tools=("$@")
    local r k t out
    for ((r = 0; r < rounds; r++)); do
        for ((k = 0; k < ${#tools[@]}; k++)); do
            t=${tools[$(( (k + r) % ${#tools[@]} ))]}
            make_tree "$trees/$t-$size-$r" "$size"
            out=$(run "$t" "$trees/$t-$size-$r")
            times[$t,$size]+="${out% *} "
            mems[$t,$size]+="${out#* } "
            empty_trash
        done
    done
}

# trash_all TOOL...: one tree per size (and one of a single file); in every
# round each tool trashes each tree, in an order that turns from round to
# round, and the tree is moved back from the trash after each run, so that
# many rounds stay cheap and every size sees the same conditions.
trash_all() {
    local -a tools=("$@") jobs=()
    local r k t size job out t_dir=$XDG_DATA_HOME/Trash
    for size in 1 $sizes; do
        make_tree "$trees/trash-$size" "$size"
        for t in "${tools[@]}"; do
            jobs+=("$size:$t")
        done
    done
    for ((r = 0; r < trash_rounds; r++)); do
        for ((k = 0; k < ${#jobs[@]}; k++)); do
            job=${jobs[$(( (k + r) % ${#jobs[@]} ))]}
            size=${job%%:*} t=${job#*:}
            out=$(run "$t" "$trees/trash-$size")
            times[$t,$size]+="${out% *} "
            mems[$t,$size]+="${out#* } "
            [ -d "$t_dir/files/trash-$size" ] || { echo "$t did not put trash-$size into the trash" >&2; exit 1; }
            mv "$t_dir/files/trash-$size" "$trees/trash-$size"
            empty_trash
        done
    done
}

# big_tree DIR FOLDERS FILES: FOLDERS folders of FILES empty files each.
big_tree() {
    local dir=$1 folders=$2 files=$3 i
    mkdir "$dir"
    for ((i = 0; i < folders; i++)); do
        mkdir "$dir/d$i"
    done
    # One touch per batch of names, a few at a time.
    for ((i = 0; i < folders; i++)); do
        printf 'd%d\n' "$i"
    done | xargs -P 2 -I{} sh -c "cd '$dir/{}' && seq -f 'f%g' 1 $files | xargs touch"
}

# big_run TOOL DIR: prints "microseconds kB".
big_run() {
    local tool=$1 dir=$2 start end
    local -a cmd
    case $tool in
    ours) cmd=("$driver" --permanent "$dir") ;;
    rm) cmd=(rm -rf "$dir") ;;
    rm-halves)
        cmd=(bash -c 'cd "$1" && { rm -rf d*[02468] & rm -rf d*[13579]; wait; } && cd / && rmdir "$1"' _ "$dir") ;;
    esac
    sync
    start=${EPOCHREALTIME/[.,]/}
    /usr/bin/time -o "$work/peak" -f %M "${cmd[@]}" >/dev/null 2>&1
    end=${EPOCHREALTIME/[.,]/}
    [ ! -e "$dir" ] || { echo "$tool left $dir" >&2; exit 1; }
    echo "$((end - start)) $(tail -n1 "$work/peak")"
}

# Most descriptors the remover holds at once, sampled while it runs.
peak_descriptors() {
    local dir=$1 pid most=0 n
    "$driver" --permanent "$dir" &
    pid=$!
    while kill -0 "$pid" 2>/dev/null; do
        n=$(find "/proc/$pid/fd" -mindepth 1 -maxdepth 1 2>/dev/null | wc -l)
        [ "$n" -gt "$most" ] && most=$n
        sleep 0.02
    done
    wait "$pid"
    echo "$most"
}

million() {
    [ "$(id -u)" = 0 ] || { echo "--million needs root (it mounts a loop image and a tmpfs)" >&2; exit 1; }
    command -v mkfs.ext4 >/dev/null || { echo "needs mkfs.ext4 (Debian package e2fsprogs)" >&2; exit 1; }
    local big_rounds=${BIG_ROUNDS:-3} folders=${FOLDERS:-1000} files=${FILES:-1000}
    local fs r k t out dir
    local -a tools=(ours rm rm-halves) systems
    read -r -a systems <<<"${BIG_FS:-ext4 tmpfs}"
    mkdir "$work/ext4" "$work/tmpfs"
    if [[ " ${systems[*]} " == *" ext4 "* ]]; then
        truncate -s 8G "$work/ext4.img"
        mkfs.ext4 -q -N $((folders * files + 100000)) "$work/ext4.img"
        mount -o loop "$work/ext4.img" "$work/ext4" && big_mounts+=("$work/ext4")
    fi
    mount -t tmpfs -o size=4g,nr_inodes=$((folders * files * 2)) tmpfs "$work/tmpfs" && big_mounts+=("$work/tmpfs")
    for fs in "${systems[@]}"; do
        for ((r = 0; r < big_rounds; r++)); do
            for ((k = 0; k < ${#tools[@]}; k++)); do
                t=${tools[$(( (k + r) % ${#tools[@]} ))]}
                dir=$work/$fs/$t-$r
                big_tree "$dir" "$folders" "$files"
                out=$(big_run "$t" "$dir")
                times[$t,$fs]+="${out% *} "
                mems[$t,$fs]+="${out#* } "
            done
        done
        big_tree "$work/$fs/small" 1 1000
        out=$(big_run ours "$work/$fs/small")
        mems[small,$fs]=${out#* }
        big_tree "$work/$fs/fds" "$folders" "$files"
        fds[$fs]=$(peak_descriptors "$work/$fs/fds")
    done
    echo "rounds: $big_rounds; tree: $folders folders of $files files; workers: $(nproc) cores"
    printf '%-10s %-6s %12s %10s %12s\n' tool fs "median ms" "peak kB" "ratio"
    for fs in "${systems[@]}"; do
        base=$(stat_of "${times[rm,$fs]}")
        for t in "${tools[@]}"; do
            m=$(stat_of "${times[$t,$fs]}")
            printf '%-10s %-6s %12s %10s %12s\n' "$t" "$fs" "$(ms "$m")" "$(maxmem "${mems[$t,$fs]}")" "$(ratio "$m" "$base") x rm"
        done
    done
    for fs in "${systems[@]}"; do
        echo "$fs: ours peak kB at 1,000 files: ${mems[small,$fs]}, at $((folders * files)): $(maxmem "${mems[ours,$fs]}"); most descriptors open at once: ${fds[$fs]}"
    done
}

ms() { awk -v us="$1" 'BEGIN { printf "%.1f", us / 1000 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }
stat_of() { tr ' ' '\n' <<<"$1" | grep . | median; }
maxmem() { tr ' ' '\n' <<<"$1" | grep . | sort -n | tail -n1; }

declare -A fds
if [ "${1:-}" = --million ]; then
    million
    exit 0
fi

trash_tools=(ours-trash)
have gio && trash_tools+=(gio) || echo "gio not found: skipped" >&2
have trash-put && trash_tools+=(trash-put) || echo "trash-put not found: skipped" >&2

for size in $sizes; do
    pair "$size" ours-permanent rm
done
trash_all "${trash_tools[@]}"

echo "rounds: $rounds; folder: $(df -T "$work" | awk 'NR == 2 { print $2 }')"
printf '%-16s %8s %12s %10s %14s\n' tool files "median ms" "peak kB" "ratio"
for size in $sizes; do
    base=$(stat_of "${times[rm,$size]}")
    for t in ours-permanent rm; do
        m=$(stat_of "${times[$t,$size]}")
        printf '%-16s %8s %12s %10s %14s\n' "$t" "$size" "$(ms "$m")" "$(maxmem "${mems[$t,$size]}")" "$(ratio "$m" "$base") x rm"
    done
done
for size in 1 $sizes; do
    for t in "${trash_tools[@]}"; do
        m=$(stat_of "${times[$t,$size]}")
        one=$(stat_of "${times[$t,1]}")
        printf '%-16s %8s %12s %10s %14s\n' "$t" "$size" "$(ms "$m")" "$(maxmem "${mems[$t,$size]}")" "$(ratio "$m" "$one") x 1 file"
    done
done
