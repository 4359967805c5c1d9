#!/bin/sh
# Compiles the Windows resource script with the MinGW resource compiler and checks what the
# compiled resources say: version strings, language and the icon.
# Usage: check_rc.sh RC_FILE NAME VERSION ICON_COUNT (the project's, from CMake)
set -eu
windres=x86_64-w64-mingw32-windres
rc=$1
name=$2
version=$3
icons=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$windres" --preprocessor=cpp -i "$rc" -O res -o "$work/zentolar.res"
# Decompiled, the resources read back as a script that can be checked line by line.
"$windres" -i "$work/zentolar.res" -O rc -o "$work/decompiled.rc"

failed=0
expect() {
    if ! grep -Fq -- "$1" "$work/decompiled.rc"; then
        echo "missing: $1"
        failed=1
    fi
}
major=${version%%.*}
minor=$(echo "${version#*.}" | sed 's/^0*\([0-9]\)/\1/')
expect "VALUE \"FileVersion\", \"$version"
expect "VALUE \"ProductVersion\", \"$version"
expect "VALUE \"ProductName\", \"$name"
expect "VALUE \"InternalName\", \"$name"
expect "FILEVERSION $major, $minor, 0, 0"
expect 'BLOCK "0c0a04e4"'
expect 'VALUE "Translation", 0xc0a, 1252'
# Every resource is tagged Spanish (Spain), none left in the compiler's default language.
if grep -q '^LANGUAGE' "$work/decompiled.rc" && [ "$(grep '^LANGUAGE' "$work/decompiled.rc" | sort -u)" != "LANGUAGE 10, 3" ]; then
    echo "resources outside Spanish (Spain): $(grep '^LANGUAGE' "$work/decompiled.rc" | sort -u | tr '\n' ' ')"
    failed=1
fi
expect 'LANGUAGE 10, 3'
# One icon group with an image for each rendered size.
[ "$(grep -c 'RT_GROUP_ICON' "$work/decompiled.rc")" -eq 1 ] || { echo "not one icon group"; failed=1; }
[ "$(grep -c '/\* RT_ICON \*/' "$work/decompiled.rc")" -eq "$icons" ] || { echo "not $icons icon images"; failed=1; }

[ "$failed" -eq 0 ] || { echo "--- decompiled resources:"; cat "$work/decompiled.rc"; }
exit "$failed"
