#!/bin/sh
# Texts go both ways between the program and the page, as between a sender on a computer and a
# recipient on a phone: each encoded text that "Codigo codificado" of the real program copies is
# pasted into the page's, decoded there, and must give exactly the text the program decoded; the
# page encodes that text again, and its copy control must copy exactly what the program copied,
# which the program then decodes back. The browser shows the page on the same private display, so
# the X clipboard between them is real.
# Usage: check_page_program.sh ZENTOLAR PAGE WORK_DIR BROWSER   (chromium, firefox-esr or webkit;
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
trap 'display_stop "$work"' EXIT
display_start "$work"
road_texts "$work"

zentolar_start "$program" "$work"

browser_app "$work" "$page" 900 700 "$browser_name"
# The page and the program have the same title: the page's window is known by its class.
i=0
browser=""
while [ -z "$browser" ] && [ "$i" -lt 600 ]; do
    browser=$(xdotool search --onlyvisible --class "$browser_class" 2> /dev/null | tail -n 1) || true
    i=$((i + 1))
    sleep 0.1
done
[ -n "$browser" ] || { echo "FAIL: the browser did not show the page"; tail "$work/browser.log"; exit 1; }
sleep 2
# The page asks for the key first; then the focus is on "Encriptar =>". Its order from there:
# "<= Desenciptar ", "Limpiar", "Cambiar Clave", "Codigo codificado", its Deshacer, Rehacer and
# copy control; backwards, the plain field's copy control, Rehacer, Deshacer, then the plain field.
typed "$browser" Clave
keys "$browser" Return

for text in "every code" prose longest short; do
    zentolar_take "$zentolar" "$work/$text"

    # Program to page: the program's encoded copy pasted into the page and decoded there.
    set_clipboard < "$work/$text.sent"
    keys "$browser" Tab Tab Tab Tab ctrl+a ctrl+v shift+Tab shift+Tab shift+Tab space
    COPIED="$work/$text.page" copy_with "$browser" shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab ctrl+a ctrl+c
    # WebKitGTK turns every no-break space into a blank when it writes plain text to the clipboard.
    expected="$work/$text.plain"
    if [ "$browser_name" = webkit ]; then
        sed 's/\xc2\xa0/ /g' "$work/$text.plain" > "$work/$text.plain-webkit"
        expected="$work/$text.plain-webkit"
    fi
    if [ -s "$work/$text.page" ] && cmp -s "$work/$text.page" "$expected"; then
        echo "PASS: $text, from the program to the page"
    else
        fail "$text, from the program to the page: decoded text differs from the program's"
    fi

    # Page to program: encoded again in the page, copied with its copy control.
    keys "$browser" Tab Tab Tab Tab space
    COPIED="$work/$text.page-sent" copy_with "$browser" Tab Tab Tab Tab Tab Tab Tab space
    keys "$browser" shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab
    if cmp -s "$work/$text.page-sent" "$work/$text.sent"; then
        echo "PASS: $text, the page copies what the program copies"
    else
        fail "$text: the page's encoded copy differs from the program's"
    fi
    cp "$work/$text.plain" "$work/$text.page-sent.plain"
    zentolar_check_pasted "$zentolar" "$work/$text.page-sent" "$text, from the page to the program"
done
window_shown "$ZENTOLAR_NAME" || fail "the window closed"
exit "$failed"
