#!/bin/sh
# Renders resources/zentolar.svg into the PNG sizes a desktop needs, the Windows ICO and the site's
# icons. The results are committed, so building needs no image tools; run this after changing the
# SVG. Needs rsvg-convert (librsvg2-bin) and icotool (icoutils).
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

# The site's: the icon as it is, and a maskable one, which a phone crops to its own shape (a
# circle, a rounded square): the tile fills the whole square and the mark shrinks to three
# quarters about the centre, inside the circle of 40% of the side that every crop keeps.
maskable=$(mktemp)
trap 'rm -f "$maskable"' EXIT
sed -e 's|<rect id="background"[^>]*/>|<rect width="256" height="256" fill="url(#tile)"/>|' \
    -e 's|<g id="mark">|<g transform="translate(128 128) scale(0.75) translate(-128 -128)">|' \
    zentolar.svg > "$maskable"
[ "$(grep -c 'width="256" height="256" fill\|scale(0.75)' "$maskable")" -eq 2 ] ||
    { echo "make-icons.sh: zentolar.svg has no background or mark to make the maskable icon from" >&2; exit 1; }
for size in $(cmake -P ../tools/facts.cmake site_icon_sizes); do
    rsvg-convert -w "$size" -h "$size" zentolar.svg -o "icons/zentolar-$size.png"
    rsvg-convert -w "$size" -h "$size" "$maskable" -o "icons/zentolar-maskable-$size.png"
done
