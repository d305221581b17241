#!/usr/bin/env bash
# Makes PROGRAM (tervano or quistel, as found on PATH or given by path) write
# a launcher script for FOLDER into FILE the way a person does, on the current
# X display (run it under xvfb-run): started with the folder, File menu,
# "バッチファイルの作成", the file name typed into the save dialog, the
# information box confirmed. Needs xdotool.
set -euo pipefail
program=$1 folder=$2 file=$3
title=$(basename "$program"); title=${title^}

QT_QPA_PLATFORM=xcb "$program" "$folder" &
pid=$!
trap 'kill $pid 2>/dev/null || true; wait $pid 2>/dev/null || true' EXIT

win=$(timeout 20 xdotool search --sync --onlyvisible --name "^$title\$" | head -n 1)
sleep 1
xdotool windowfocus --sync "$win"
if [ "$title" = Tervano ]; then
    xdotool key alt+f y            # ファイル(&F) > バッチファイルの作成(&Y)
else
    xdotool key alt+f Down Down Return   # ファイル(&F) > バッチファイルの作成
fi
sleep 2
xdotool type --delay 30 "$file"
sleep 0.5
xdotool key Return
# The information box "バッチファイルを作成しました。"
for _ in $(seq 50); do [ -f "$file" ] && break; sleep 0.1; done
sleep 1
xdotool key Return
[ -f "$file" ]
