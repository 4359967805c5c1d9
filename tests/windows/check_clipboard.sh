#!/bin/sh
# Copy and paste between two running zentolar.exe under Wine keep every one of the 256 codes, and
# the encoded copy on the clipboard holds no raw control code and no white space.
# Instance A takes a text of all 256 codes from the clipboard and encodes it; its encoded text is
# copied, pasted into instance B and decoded there, and must give back the very same text.
# Usage: check_clipboard.sh WINE_STATE ZENTOLAR_EXE
set -eu
here=$(cd "$(dirname "$0")" && pwd)
ZENTOLAR_WINE_STATE=$1
exe=$2
# shellcheck source=drive.sh
. "$here/drive.sh"
work=$(mktemp -d)
trap 'wineserver -k 2> /dev/null || true; rm -rf "$work"' EXIT

# Every code as the fields copy it, then a real line break, made by the program's own code.
: "${ZENTOLAR_ROAD_TEXTS:?the test sets ZENTOLAR_ROAD_TEXTS}"
wine "$ZENTOLAR_ROAD_TEXTS" "$(winepath -w "$work")" "$(winepath -w "$here/../support/prosa.txt")" ||
    { echo "FAIL: road_texts.exe wrote no texts"; exit 1; }
cp "$work/every code" "$work/all"

start_instance() {
    wine "$exe" > /dev/null 2>&1 &
    prompt=$(wait_window Clave)
    [ -n "$prompt" ] || { echo "FAIL: no key prompt"; exit 1; }
    typed "$prompt" "Llave"
    keys "$prompt" Return
    wait_window_gone Clave || { echo "FAIL: the key prompt stayed"; exit 1; }
}

# A: paste into Text1, encode, copy Text3.
start_instance
a=$(wait_window "$ZENTOLAR_NAME")
set_clipboard < "$work/all"
COPIED="$work/encoded" copy_with "$a" Tab ctrl+v shift+Tab space Tab Tab Tab ctrl+a ctrl+c
[ -s "$work/encoded" ] || { echo "FAIL: nothing was copied from the encoded field"; exit 1; }
cmp -s "$work/encoded" "$work/all" && fail "the text was not encoded"
# The encoded copy holds no raw control code and no white space at all, and is framed.
[ "$(LC_ALL=C tr -d '[:cntrl:][:space:]' < "$work/encoded" | wc -c)" -eq "$(wc -c < "$work/encoded")" ] ||
    fail "a raw control code or white space reached the clipboard"
if [ "$(head -c 3 "$work/encoded")" != "$(printf '\342\237\246')" ] ||
    [ "$(tail -c 3 "$work/encoded")" != "$(printf '\342\237\247')" ]; then
    fail "the encoded copy is not framed by its marks"
fi
[ "$(tr -d '\000' < "$work/encoded" | wc -c)" -eq "$(wc -c < "$work/encoded")" ] ||
    fail "a raw NUL reached the clipboard"

# B, a second running instance: paste the encoded text into Text3, decode, copy Text1.
start_instance
b=""
for _ in $(seq 100); do
    b=$(xdotool search --onlyvisible --name "^$ZENTOLAR_NAME\$" | grep -vx "$a" | head -n 1) || true
    [ -z "$b" ] || break
    sleep 0.2
done
[ -n "$b" ] || { echo "FAIL: the second window did not appear"; exit 1; }
set_clipboard < "$work/encoded"
COPIED="$work/decoded" copy_with "$b" Tab Tab Tab ctrl+v shift+Tab space shift+Tab ctrl+a ctrl+c
# Wine may hand line breaks over as CR LF.
tr -d '\r' < "$work/decoded" > "$work/decoded.lf"
if ! cmp -s "$work/decoded.lf" "$work/all"; then
    fail "the text decoded in the second instance differs from the one encoded in the first"
    od -c "$work/all" | head -20
    od -c "$work/decoded.lf" | head -20
fi
window_shown "$ZENTOLAR_NAME" || fail "the windows closed"
exit "$failed"
