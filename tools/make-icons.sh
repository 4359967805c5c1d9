#!/bin/sh
# Renders resources/zentolar.svg into the PNG sizes a desktop needs and the Windows ICO.
# The results are committed, so building needs no image tools; run this after changing the SVG.
# Needs rsvg-convert (librsvg2-bin) and icotool (icoutils).
set -eu
cd "$(dirname "$0")/../resources"

# The sizes the build installs and compiles in, from the project's facts.
sizes=$(cmake -P ../tools/facts.cmake icon_sizes)
images=""
for size in $sizes; do
    rsvg-convert -w "$size" -h "$size" zentolar.svg -o "icons/zentolar-$size.png"
    # Windows keeps the 256 pixel image as PNG inside the ICO.
    if [ "$size" -ge 256 ]; then
        images="$images -r icons/zentolar-$size.png"
    else
        images="$images icons/zentolar-$size.png"
    fi
done
# shellcheck disable=SC2086 # a word list of options and files
icotool -c -o zentolar.ico $images
