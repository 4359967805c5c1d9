# Driving the Windows program under Wine as a user would, with xdotool and xclip.
# Sourced by the black-box tests with ZENTOLAR_WINE_STATE set: starts the shared display and
# Wine prefix (wine.sh), exporting DISPLAY and WINEPREFIX.

# The program's name, its windows' title, from CMake.
: "${ZENTOLAR_NAME:?the test sets ZENTOLAR_NAME}"

ZENTOLAR_WINE_SOURCED=1 . "$(dirname "$0")/wine.sh"
wine_start

failed=0
fail() {
    echo "FAIL: $*"
    failed=1
}

# The id of the visible window titled exactly $1, waiting up to $2 seconds (default 60).
wait_window() {
    timeout "${2:-60}" xdotool search --sync --onlyvisible --name "^$1\$" 2> /dev/null | head -n 1
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

# Saves a picture of window $1 as PNG $2 (needs ImageMagick's import).
screenshot() {
    if command -v import > /dev/null; then
        import -window "$1" "$2" 2> /dev/null || true
    fi
}
