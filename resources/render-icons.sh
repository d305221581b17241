#!/usr/bin/env bash
# Renders the pictures in images/ from their SVG sources: the 16 x 16
# image-list pictures, the 48 x 48 program icons (the opener's also as a
# 256-colour image), the two Windows .ico files and the program icons of the
# desktop's hicolor theme (hicolor/SIZExSIZE/PROGRAM.png). The build uses only the
# committed results, so run this after changing an SVG and commit both.
# Needs the Debian packages librsvg2-bin (rsvg-convert), imagemagick
# (convert) and icoutils (icotool).
set -euo pipefail
cd "$(dirname "$0")/images"

for tool in rsvg-convert convert icotool; do
    command -v "$tool" >/dev/null || { echo "render-icons.sh: $tool is missing" >&2; exit 1; }
done

render() { # svg size
    rsvg-convert -w "$2" -h "$2" -o "${1%.svg}.png" "$1"
}

for svg in *-16.svg; do
    render "$svg" 16
done
render tervano-48.svg 48
render quistel-48.svg 48

# 256 colours with a one-bit mask, as an icon's palette image holds it.
convert tervano-48.png -channel A -threshold 50% +channel \
    -dither None -colors 255 -strip PNG8:tervano-48-8bit.png

for size in 16 22 24 32 48 64 128 256; do
    mkdir -p "hicolor/${size}x${size}"
    for program in tervano quistel; do
        rsvg-convert -w $size -h $size -o "hicolor/${size}x${size}/$program.png" "$program-48.svg"
    done
done

# Strip metadata (dates) so an unchanged picture renders to the same bytes.
for png in *-16.png tervano-48.png quistel-48.png hicolor/*/*.png; do
    convert "$png" -strip PNG32:"$png"
done

# icotool stores the palette image with 8 bits and the other with 32.
icotool -c -o tervano.ico tervano-48-8bit.png tervano-48.png
icotool -c -o quistel.ico quistel-48.png
icotool -l tervano.ico quistel.ico
