# Sourced by the Wine scripts: sets wine (the 64-bit loader) and wineserver,
# or stops the caller. Debian keeps the 64-bit loader out of PATH unless the
# wine package is there.
wine=
for candidate in /usr/lib/wine/wine64 "$(command -v wine64 || true)" "$(command -v wine || true)"; do
    if [ -n "$candidate" ] && [ -x "$candidate" ]; then
        wine=$candidate
        break
    fi
done
[ -n "$wine" ] || { echo "${0##*/}: no Wine loader found" >&2; exit 1; }
wineserver=${wine%/*}/wineserver${wine##*/wine}
[ -x "$wineserver" ] || wineserver=$(command -v wineserver)
