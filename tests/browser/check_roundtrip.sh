#!/bin/sh
# An encoded text comes back exactly from the roads users send it by. In a real browser it is
# pasted into a text area and into a rich-text box (as web mail and chat compose boxes are),
# copied out again, pasted back into "Codigo codificado" and decoded; the result must be exactly
# the text it was encoded from. Each text is first pasted into "Codigo codificado" as it arrives
# from another program, decoded, and encoded again, so the field copies it in its own form.
# Usage: check_roundtrip.sh ZENTOLAR PAGE WORK_DIR   (ZENTOLAR_NAME: the window's title)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../support/desktop.sh"
: "${ZENTOLAR_NAME:?the test sets ZENTOLAR_NAME}"
program=$1
page=$2
work=$3
rm -rf "$work"
mkdir -p "$work"
trap 'kill $(jobs -p) 2> /dev/null || true; display_stop "$work"' EXIT
display_start "$work"

# The encoded texts, as another program hands them over: the no-break space as itself.
nbsp=$(printf '\302\240')
{ all_codes; printf '\nfin'; } > "$work/every code"
i=0
while [ "$i" -lt 200 ]; do
    printf '%sT%s%s J%s' "$nbsp" "$nbsp" "$nbsp" "$nbsp"
    i=$((i + 1))
done > "$work/many codes 160"
printf '  dos blancos delante, tres   en medio,\tun tabulador,\t\tdos, gui\302\255ones\302\255 blan\302\255dos\n\nuna l\303\255nea vac\303\255a y dos blancos detr\303\241s  ' \
    > "$work/blanks, tabs and soft hyphens"

QT_QPA_PLATFORM=xcb "$program" > "$work/zentolar.log" 2>&1 &
prompt=$(wait_window Clave)
[ -n "$prompt" ] || { echo "FAIL: no key prompt"; cat "$work/zentolar.log"; exit 1; }
typed "$prompt" Clave
keys "$prompt" Return
zentolar=$(wait_window "$ZENTOLAR_NAME")
[ -n "$zentolar" ] || { echo "FAIL: the window did not appear"; exit 1; }

# As root, Chromium runs only without its sandbox.
sandbox=""
[ "$(id -u)" -ne 0 ] || sandbox="--no-sandbox"
chromium $sandbox --test-type --user-data-dir="$work/profile" --no-first-run --disable-gpu \
    --disable-background-networking --disable-component-update --disable-sync --disable-quic \
    --password-store=basic --window-position=0,0 --window-size=800,600 --app="file://$page" \
    > "$work/chromium.log" 2>&1 &
browser=$(wait_window Cuadros)
[ -n "$browser" ] || { echo "FAIL: the browser did not show the page"; tail "$work/chromium.log"; exit 1; }
sleep 1

# The text area fills the page's upper half, the rich-text box its lower half.
for text in "every code" "many codes 160" "blanks, tabs and soft hyphens"; do
    for box in "text area:150" "rich-text box:450"; do
        y=${box#*:}
        box=${box%:*}
        case="$text, through the $box"
        # Focus is on "Encriptar =>". Into Text3, <= Desenciptar, copy Text1, Encriptar =>, copy Text3.
        set_clipboard < "$work/$text"
        keys "$zentolar" Tab Tab Tab ctrl+a ctrl+v shift+Tab space
        COPIED="$work/$case.plain" copy_with "$zentolar" shift+Tab ctrl+a ctrl+c
        keys "$zentolar" shift+Tab space
        COPIED="$work/$case.sent" copy_with "$zentolar" Tab Tab Tab ctrl+a ctrl+c
        # The field copies the text it was given, with U+237D for each no-break space.
        sed 's/\xc2\xa0/\xe2\x8d\xbd/g' "$work/$text" > "$work/$case.expected"
        cmp -s "$work/$case.sent" "$work/$case.expected" ||
            fail "$case: the encoded field copied another form than expected"

        # The browser: paste into the box, copy everything out.
        click "$browser" 400 "$y"
        keys "$browser" ctrl+a Delete ctrl+v
        COPIED="$work/$case.received" copy_with "$browser" ctrl+a ctrl+c

        # Back into Text3 (which has the focus), <= Desenciptar, copy Text1; back to Encriptar =>.
        keys "$zentolar" ctrl+a ctrl+v shift+Tab space
        COPIED="$work/$case.decoded" copy_with "$zentolar" shift+Tab ctrl+a ctrl+c
        keys "$zentolar" shift+Tab
        if cmp -s "$work/$case.decoded" "$work/$case.plain" && [ -s "$work/$case.plain" ]; then
            echo "PASS: $case"
        else
            fail "$case: decoded text differs from the one encoded"
            cmp "$work/$case.sent" "$work/$case.received" || true
        fi
    done
done
window_shown "$ZENTOLAR_NAME" || fail "the window closed"
exit "$failed"
