#!/bin/sh
# Compiles the Windows resource script with the MinGW resource compiler and checks what the
# compiled resources say: version strings, language and the icon.
# Usage: check_rc.sh WINDRES RC_FILE
set -eu
windres=$1
rc=$2
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
expect 'VALUE "FileVersion", "1.00'
expect 'VALUE "ProductVersion", "1.00'
expect 'VALUE "ProductName", "Zentolar'
expect 'VALUE "InternalName", "Zentolar'
expect 'FILEVERSION 1, 0, 0, 0'
expect 'BLOCK "0c0a04e4"'
expect 'VALUE "Translation", 0xc0a, 1252'
# Every resource is tagged Spanish (Spain), none left in the compiler's default language.
if grep -q '^LANGUAGE' "$work/decompiled.rc" && [ "$(grep '^LANGUAGE' "$work/decompiled.rc" | sort -u)" != "LANGUAGE 10, 3" ]; then
    echo "resources outside Spanish (Spain): $(grep '^LANGUAGE' "$work/decompiled.rc" | sort -u | tr '\n' ' ')"
    failed=1
fi
expect 'LANGUAGE 10, 3'
# One icon group with its seven images, 16 to 256 pixels.
[ "$(grep -c 'RT_GROUP_ICON' "$work/decompiled.rc")" -eq 1 ] || { echo "not one icon group"; failed=1; }
[ "$(grep -c '/\* RT_ICON \*/' "$work/decompiled.rc")" -eq 7 ] || { echo "not seven icon images"; failed=1; }

[ "$failed" -eq 0 ] || { echo "--- decompiled resources:"; cat "$work/decompiled.rc"; }
exit "$failed"
