#!/usr/bin/env bash
# Takes the README's pictures of both windows and both About dialogs on a
# virtual display (Xvfb, the xcb platform, a Japanese font) into
# screenshots/ (OUT): tervano.png, tervano-about.png, quistel.png,
# quistel-about.png. Needs a build in build/ (BUILD_DIR), xdotool and
# ImageMagick. The folder in the field is only text; nothing is opened.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
out=${OUT:-screenshots}
mkdir -p "$out"
out=$(realpath "$out")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/config" XDG_RUNTIME_DIR="$tmp/run"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

shoot() { # program about-keys...
    local program=$1; shift
    local exe title
    exe=$(realpath "$build/$([ "$program" = tervano ] && echo opener || echo remover)/$program")
    title=${program^}
    xvfb-run -a -s "-screen 0 800x600x24" bash -c '
        set -e
        cd "$HOME"
        QT_QPA_PLATFORM=xcb "$1" "/home/user/Documents/old reports" & pid=$!
        trap "kill $pid 2>/dev/null || true" EXIT
        win=$(timeout 20 xdotool search --sync --onlyvisible --name "^$2\$" | head -n 1)
        sleep 1.5
        import -window "$win" "$3/$4.png"
        xdotool windowfocus --sync "$win"
        xdotool key "${@:5}"
        about=$(timeout 20 xdotool search --sync --onlyvisible --name "^バージョン情報\$" | head -n 1)
        sleep 1
        import -window "$about" "$3/$4-about.png"
    ' _ "$exe" "$title" "$out" "$program" "$@"
    for png in "$out/$program.png" "$out/$program-about.png"; do
        convert "$png" -strip PNG24:"$png"
    done
}

shoot tervano alt+h y   # ヘルプ(&H) > バージョン情報(&Y)
shoot quistel alt+h a   # ヘルプ(&H) > バージョン情報(&A)
ls -l "$out"
