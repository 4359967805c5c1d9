# Driving programs on a private X display as a user would, with xdotool and xclip. Sourced by
# the black-box tests (the Windows program under Wine, the browser road of an encoded text).

# The launcher of every X server and browser the tests start (launch.sh, beside this file), found
# from the script that sources this, in tests/ or a folder of it.
for launcher in "$(dirname "$0")/../support/launch.sh" "$(dirname "$0")/support/launch.sh"; do
    [ -f "$launcher" ] && break
done

# Starts a private Xvfb display for the tests sharing state folder $1, unless one already runs
# there, and exports DISPLAY. The caller holds whatever lock the sharing tests need.
display_start() {
    DISPLAY=$(sh "$launcher" display "$1") || return 1
    export DISPLAY
}

# Ends the display display_start started for state folder $1.
display_stop() {
    if [ -f "$1/xvfb.pid" ]; then
        kill "$(cat "$1/xvfb.pid")" 2> /dev/null || true
        rm -f "$1/xvfb.pid" "$1/display"
    fi
}

failed=0
# shellcheck disable=SC2034 # the scripts that source this end with exit "$failed"
fail() {
    echo "FAIL: $*"
    failed=1
}

# The id of the visible window titled exactly $1, waiting up to $2 seconds (default 60). Each
# look is a fresh search: one xdotool search ends with an X error when a window it is reading
# closes meanwhile, as a starting browser's short-lived windows do, so --sync alone can give up
# long before the window comes.
wait_window() {
    i=0
    while [ "$i" -lt $((${2:-60} * 10)) ]; do
        found=$(xdotool search --onlyvisible --name "^$1\$" 2> /dev/null | head -n 1) || true
        [ -z "$found" ] || { echo "$found"; return 0; }
        i=$((i + 1))
        sleep 0.1
    done
}

# Waits until file $1 is there and not empty (up to $2 seconds, default 60).
wait_file() {
    i=0
    until [ -s "$1" ]; do
        i=$((i + 1))
        [ "$i" -le $((${2:-60} * 10)) ] || return 1
        sleep 0.1
    done
}

# Whether a visible window titled exactly $1 exists now.
window_shown() {
    [ -n "$(xdotool search --onlyvisible --name "^$1\$" 2> /dev/null)" ]
}

# Waits until no visible window is titled exactly $1 (up to $2 seconds, default 30).
wait_window_gone() {
    i=0
    while window_shown "$1"; do
        i=$((i + 1))
        [ "$i" -le $((${2:-30} * 10)) ] || return 1
        sleep 0.1
    done
}

# Gives window $1 the keyboard focus (there is no window manager to do it) and sends keys to it.
keys() {
    window=$1
    shift
    xdotool windowfocus --sync "$window"
    xdotool key --delay 60 "$@"
    sleep 0.3
}

typed() {
    xdotool windowfocus --sync "$1"
    xdotool type --delay 60 "$2"
    sleep 0.3
}

# Clicks window $1 at $2, $3 (pixels from its top left corner), with the keyboard focus on it.
click() {
    xdotool windowfocus --sync "$1"
    xdotool mousemove --window "$1" "$2" "$3" click 1
    sleep 0.3
}

# The clipboard's text, as another X program reads it.
clipboard() {
    xclip -selection clipboard -o 2> /dev/null
}

# Puts the standard input on the clipboard, as another program would.
set_clipboard() {
    # xclip stays behind to serve the clipboard: keep it off the test's output.
    xclip -selection clipboard -i > /dev/null 2>&1
    sleep 0.3
}

# Who holds the clipboard, since when and what: the targets it offers, its TIMESTAMP (ICCCM), which
# a program that takes the clipboard again gives anew, and its text's checksum, for Wine, which
# keeps the clipboard and its TIMESTAMP when a Windows program copies again. xclip offers no
# TIMESTAMP and answers with its text instead.
clipboard_owner() {
    xclip -selection clipboard -o -t TARGETS 2> /dev/null || true
    xclip -selection clipboard -o -t TIMESTAMP 2> /dev/null | head -c 64 | od -An -tx1 || true
    clipboard | cksum
}

# Sends keys $2... to window $1 that copy something, and writes what they put on the clipboard to
# the file named by $COPIED, waiting up to 10 s for the program to take the clipboard (the file is
# left empty when it does not). The clipboard is not written meanwhile: a paste the keys before
# these made may still be reading it.
copy_with() {
    owner=$(clipboard_owner)
    keys "$@"
    i=0
    until [ "$(clipboard_owner)" != "$owner" ]; do
        i=$((i + 1))
        [ "$i" -lt 100 ] || { : > "$COPIED"; return 0; }
        sleep 0.1
    done
    clipboard > "$COPIED" || true
}

# Starts Chromium on the display showing page $2 alone, as an app window of $3 x $4 pixels at the
# top left, with a profile of its own in work folder $1 and its log there. Nothing is shown first,
# and the browser's own requests (updates, time) find no address: tests reach 127.0.0.1 only.
chromium_app() {
    sh "$launcher" chromium "$1" --window-position=0,0 --window-size="$3,$4" --app="file://$2" \
        > "$1/browser.log" 2>&1 &
}

# Starts browser $5 (chromium, firefox-esr or webkit, WebKitGTK's MiniBrowser) on the display
# showing page $2, in a window of $3 x $4 pixels at the top left, with a profile of its own in work
# folder $1 and its log there, and sets $browser_class to the class of its windows. Nothing is
# shown first.
# shellcheck disable=SC2034 # the caller reads browser_class
browser_app() {
    case $5 in
    chromium)
        chromium_app "$1" "$2" "$3" "$4"
        browser_class=chromium
        ;;
    firefox-esr)
        sh "$launcher" firefox "$1" --width "$3" --height "$4" "file://$2" > "$1/browser.log" 2>&1 &
        browser_class=firefox-esr
        ;;
    webkit)
        mkdir -p "$1/home"
        HOME="$1/home" "$(sh "$launcher" minibrowser)" "file://$2" > "$1/browser.log" 2>&1 &
        browser_class=MiniBrowser
        ;;
    *)
        echo "FAIL: no such browser: $5"
        exit 1
        ;;
    esac
}

# Saves a picture of window $1 as PNG $2 (needs ImageMagick's import).
screenshot() {
    if command -v import > /dev/null; then
        import -window "$1" "$2" 2> /dev/null || true
    fi
}

# Writes the texts the roads of an encoded text are tried with into folder $1, as another program
# hands them to a field, made by the program's own code (tests/support/roadtexts.cpp): every code;
# a letter of Spanish prose with paragraphs, tabs and runs of blanks; that prose run on to the
# longest text the cipher takes, on one line; and a word that holds no blank, tab or line break.
# The test sets ZENTOLAR_ROAD_TEXTS to that program; the caller sets $here to its own folder under
# tests/.
# shellcheck disable=SC2154 # $here is the caller's
road_texts() {
    : "${ZENTOLAR_ROAD_TEXTS:?the test sets ZENTOLAR_ROAD_TEXTS}"
    "$ZENTOLAR_ROAD_TEXTS" "$1" "$here/../support/prosa.txt"
}

# With the focus on "Encriptar =>" of Zentolar's window $1, takes in encoded text file $2 as a user
# does who got it: pastes it into "Codigo codificado" and decodes it, and copies the plain text to
# $2.plain. Then encodes that again and copies what the encoded field copies to $2.sent, the form
# that is sent on. The focus ends on "Encriptar =>".
zentolar_take() {
    set_clipboard < "$2"
    keys "$1" Tab Tab Tab ctrl+a ctrl+v shift+Tab space
    COPIED="$2.plain" copy_with "$1" shift+Tab ctrl+a ctrl+c
    keys "$1" shift+Tab space
    COPIED="$2.sent" copy_with "$1" Tab Tab Tab ctrl+a ctrl+c
    keys "$1" shift+Tab shift+Tab shift+Tab
}

# Starts Zentolar, program $1, on the display with its log in folder $2, gives it the key "Clave"
# and sets $zentolar to its window, whose focus is on "Encriptar =>".
zentolar_start() {
    QT_QPA_PLATFORM=xcb "$1" > "$2/zentolar.log" 2>&1 &
    prompt=$(wait_window Clave)
    [ -n "$prompt" ] || { echo "FAIL: no key prompt"; cat "$2/zentolar.log"; exit 1; }
    typed "$prompt" Clave
    keys "$prompt" Return
    zentolar=$(wait_window "$ZENTOLAR_NAME")
    [ -n "$zentolar" ] || { echo "FAIL: the window did not appear"; exit 1; }
}

# With the focus on "Encriptar =>" of Zentolar's window $1, empties "Codigo sin codificar", pastes
# the clipboard into "Codigo codificado", decodes it and copies the plain text beside text file
# $2, as "$3.decoded". Case $3 passes when that is exactly the plain text zentolar_take copied
# for $2. The focus ends on "Encriptar =>".
zentolar_check_pasted() {
    decoded="$(dirname "$2")/$3.decoded"
    keys "$1" Tab ctrl+a Delete Tab Tab ctrl+a ctrl+v shift+Tab space
    COPIED="$decoded" copy_with "$1" shift+Tab ctrl+a ctrl+c
    keys "$1" shift+Tab
    if [ -s "$decoded" ] && cmp -s "$decoded" "$2.plain"; then
        echo "PASS: $3"
    else
        fail "$3: decoded text differs from the one encoded"
    fi
}
