#!/bin/sh
# The real zentolar.exe under Wine, driven as a user would: the key prompt comes before the
# window, the window's client area is 486 x 214, and a text typed into the plain-text field,
# encoded, deleted there and decoded comes back exactly. Saves a screenshot of the window.
# Usage: check_program.sh WINE_STATE ZENTOLAR_EXE SCREENSHOT_DIR
set -eu
here=$(cd "$(dirname "$0")" && pwd)
ZENTOLAR_WINE_STATE=$1
exe=$2
shots=$3
# shellcheck source=drive.sh
. "$here/drive.sh"
work=$(mktemp -d)
trap 'wineserver -k 2> /dev/null || true; rm -rf "$work"' EXIT

start=$(date +%s%N)
wine "$exe" > /dev/null 2>&1 &
prompt=$(wait_window Clave)
[ -n "$prompt" ] || { echo "FAIL: the key prompt \"Clave\" did not appear"; exit 1; }
echo "key prompt after $((($(date +%s%N) - start) / 1000000)) ms"
window_shown "$ZENTOLAR_NAME" && fail "the window appeared before the key was given"

typed "$prompt" "Llave"
keys "$prompt" Return
window=$(wait_window "$ZENTOLAR_NAME")
[ -n "$window" ] || { echo "FAIL: the window did not appear after the key"; exit 1; }
window_shown Clave && fail "the key prompt is still open"

# Wine draws the frame inside the X window; the client area is the child X window Wine keeps
# for it, or else the frame's inside.
size=$(xwininfo -id "$window" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
client=$(xwininfo -children -id "$window" |
    awk '/^ +0x[0-9a-f]+ / { if (match($0, /[0-9]+x[0-9]+\+/)) print substr($0, RSTART, RLENGTH - 1) }' |
    head -n 1)
echo "window $size, client window ${client:-none}"
[ "$client" = 486x214 ] || [ "$size" = 486x214 ] || fail "client area is not 486x214 (window $size, client ${client:-none})"

# Focus starts on "Encriptar =>"; Tab goes to the plain-text field. xdotool types only ASCII
# reliably under Wine; every other code goes through the clipboard test.
text='Hola, mundo: 0123456789 ~!@#$%^&*()_+{}|:<>?'
keys "$window" Tab
typed "$window" "$text"
keys "$window" shift+Tab space                   # Encriptar =>
COPIED="$work/encoded" copy_with "$window" Tab Tab Tab ctrl+a ctrl+c # Text3
encoded=$(cat "$work/encoded")
[ -n "$encoded" ] || fail "nothing was encoded"
[ "$encoded" != "$text" ] || fail "the text was not encoded"
keys "$window" Tab space                         # Limpiar empties both fields
keys "$window" shift+Tab shift+Tab shift+Tab         # back to Text1
typed "$window" "X"                              # Text1 holds only what is typed now
COPIED="$work/cleared" copy_with "$window" ctrl+a ctrl+c
keys "$window" BackSpace
[ "$(cat "$work/cleared")" = X ] || fail "Limpiar did not empty Text1"
printf '%s' "$encoded" | set_clipboard
keys "$window" Tab Tab ctrl+v shift+Tab space    # into Text3, then <= Desenciptar
COPIED="$work/decoded" copy_with "$window" shift+Tab ctrl+a ctrl+c # Text1
decoded=$(cat "$work/decoded")
[ "$decoded" = "$text" ] || fail "decoded \"$decoded\", typed \"$text\""

mkdir -p "$shots"
screenshot "$window" "$shots/form1-wine.png"
exit "$failed"
