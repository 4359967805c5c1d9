#!/bin/sh
# Makes the Windows installer and the portable zip, checks the zip's contents, then under Wine
# installs silently, checks the program, its shortcut and its entry in the list of installed
# programs, starts the installed program, uninstalls silently and finds nothing of it left.
# Usage: check_installer.sh WINE_STATE BUILD_DIR VERSION
set -eu
here=$(cd "$(dirname "$0")" && pwd)
ZENTOLAR_WINE_STATE=$1
build=$2
version=$3
# shellcheck source=drive.sh
. "$here/drive.sh"
work=$(mktemp -d)
trap 'wineserver -k 2> /dev/null || true; rm -rf "$work"' EXIT

name="zentolar-$version-win64"
cpack --config "$build/CPackConfig.cmake" -G "NSIS;ZIP" -B "$work" > "$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; exit 1; }
installer="$work/$name.exe"
[ -s "$installer" ] || { echo "FAIL: no $name.exe"; ls "$work"; exit 1; }
[ -s "$work/$name.zip" ] || { echo "FAIL: no $name.zip"; ls "$work"; exit 1; }
for file in zentolar.exe README.md LICENSE.txt THIRD-PARTY.txt LGPL-3.txt; do
    unzip -l "$work/$name.zip" | grep -q " $name/$file\$" || fail "not in the zip: $file"
done

chmod +x "$installer"
wine "$installer" /S
wineserver -w
programs=$(winepath -u 'C:\Program Files' 2> /dev/null)
dir="$programs/$ZENTOLAR_NAME"
menu="$(winepath -u 'C:\ProgramData\Microsoft\Windows\Start Menu\Programs' 2> /dev/null)/$ZENTOLAR_NAME.lnk"
key="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$ZENTOLAR_NAME"
for file in zentolar.exe Uninstall.exe LICENSE.txt README.md; do
    [ -s "$dir/$file" ] || fail "not installed: $file"
done
[ -s "$menu" ] || fail "no Start menu shortcut"
entry=$(wine reg query "$key" 2> /dev/null | tr -d '\r')
echo "$entry" | grep -q "DisplayName.*REG_SZ.*$ZENTOLAR_NAME" || fail "no entry in the installed programs: $entry"
echo "$entry" | grep -q "DisplayVersion.*REG_SZ.*$version\$" || fail "installed version is not $version"
echo "$entry" | grep -qi "DisplayIcon.*zentolar.exe,0" || fail "the entry has no icon"

# The installed program starts and asks for its key.
wine "$dir/zentolar.exe" > /dev/null 2>&1 &
prompt=$(wait_window Clave)
[ -n "$prompt" ] || fail "the installed program did not start"
keys "$prompt" Escape
window=$(wait_window "$ZENTOLAR_NAME")
[ -n "$window" ] && keys "$window" alt+F4
wineserver -w

wine "$dir/Uninstall.exe" /S
wineserver -w
[ ! -e "$dir" ] || fail "left after uninstalling: $(find "$dir")"
[ ! -e "$menu" ] || fail "the Start menu shortcut is left"
wine reg query "$key" > /dev/null 2>&1 && fail "the entry in the installed programs is left"
left=$(find "$WINEPREFIX/drive_c" -iname '*zentolar*' 2> /dev/null)
[ -z "$left" ] || fail "left: $left"
exit "$failed"
