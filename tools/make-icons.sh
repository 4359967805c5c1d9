#!/bin/sh
# Renders resources/zentolar.svg into the PNG sizes a desktop needs and the Windows ICO.
# The results are committed, so building needs no image tools; run this after changing the SVG.
# Needs rsvg-convert (librsvg2-bin) and icotool (icoutils).
set -eu
cd "$(dirname "$0")/../resources"

sizes="16 24 32 48 64 128 256"
for size in $sizes; do
    rsvg-convert -w "$size" -h "$size" zentolar.svg -o "icons/zentolar-$size.png"
done
# Windows keeps the 256 pixel image as PNG inside the ICO.
icotool -c -o zentolar.ico \
    icons/zentolar-16.png icons/zentolar-24.png icons/zentolar-32.png icons/zentolar-48.png \
    icons/zentolar-64.png icons/zentolar-128.png -r icons/zentolar-256.png
