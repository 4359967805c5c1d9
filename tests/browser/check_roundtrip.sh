#!/bin/sh
# An encoded text comes back exactly from the boxes of a real browser that mail and chat are
# written in: a text area and a rich-text box, as web mail compose windows are. Each encoded
# text is taken in as its recipient does (pasted into "Codigo codificado" and decoded) and encoded
# again; what "Codigo codificado" copies is pasted into the box, copied out again, pasted back into
# "Codigo codificado" and decoded; the result must be exactly the text it was encoded from.
# Usage: check_roundtrip.sh ZENTOLAR PAGE WORK_DIR BROWSER   (chromium or firefox-esr;
# ZENTOLAR_NAME: the window's title)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../support/desktop.sh
. "$here/../support/desktop.sh"
: "${ZENTOLAR_NAME:?the test sets ZENTOLAR_NAME}"
program=$1
page=$2
work=$3
browser_name=$4
rm -rf "$work"
mkdir -p "$work"
# The program and the browser end with their display.
trap 'display_stop "$work"' EXIT
display_start "$work"
road_texts "$work"

zentolar_start "$program" "$work"

# The browser with a profile of its own in the work folder, with nothing to show first.
browser_app "$work" "$page" 800 600 "$browser_name"
browser=$(wait_window 'Cuadros.*')
[ -n "$browser" ] || { echo "FAIL: the browser did not show the page"; tail "$work/browser.log"; exit 1; }
sleep 1

for text in "every code" prose longest short; do
    # Focus is on "Encriptar =>".
    zentolar_take "$zentolar" "$work/$text"
    # An encoded copy holds no white space for a road to change.
    if [ ! -s "$work/$text.sent" ] ||
        [ "$(LC_ALL=C tr -d '[:space:]' < "$work/$text.sent" | wc -c)" -ne "$(wc -c < "$work/$text.sent")" ]; then
        fail "$text: the encoded field copied white space, or nothing"
        continue
    fi

    # The text area fills the page's upper half, the rich-text box its lower half.
    for box in "text area:150" "rich-text box:450"; do
        y=${box#*:}
        box=${box%:*}
        case="$text, through $browser_name's $box"
        # The browser: paste into the box, copy everything out.
        set_clipboard < "$work/$text.sent"
        click "$browser" 400 "$y"
        keys "$browser" ctrl+a Delete ctrl+v
        COPIED="$work/$case.received" copy_with "$browser" ctrl+a ctrl+c

        zentolar_check_pasted "$zentolar" "$work/$text" "$case"
    done
done
window_shown "$ZENTOLAR_NAME" || fail "the window closed"
exit "$failed"
