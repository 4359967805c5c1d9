#!/bin/sh
# Runs Windows programs under Wine on a private Xvfb display, for the tests of the Windows build.
# Every test of one build shares one Wine prefix and one display, kept in a state folder; the
# first test to need them starts them and the wine_stop fixture ends them.
#
#   wine.sh STATE PROGRAM [ARGS...]          run a program, return its exit code
#   wine.sh STATE --qtest PROGRAM [ARGS...]  run a Qt Test program: its results go to a file
#                                            (Wine loses a redirected stdout), printed afterwards
#   wine.sh STATE --stop                     end the display and the Wine server
#
# Sourced (with ZENTOLAR_WINE_STATE set), it gives wine_start, which exports DISPLAY and
# WINEPREFIX, for the black-box tests that drive the program with xdotool and xclip.
set -eu
. "$(dirname "$0")/../support/desktop.sh"

wine_start() {
    state=$ZENTOLAR_WINE_STATE
    mkdir -p "$state"
    export WINEPREFIX="$state/prefix" WINEARCH=win64 WINEDEBUG=-all
    # No Mono or Gecko: the tests need neither, and their installers would ask.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    (
        flock 9
        if [ ! -s "$state/display" ] || ! kill -0 "$(cat "$state/xvfb.pid" 2>/dev/null)" 2>/dev/null; then
            # A Wine server left from an interrupted run knows only the old display.
            [ -d "$WINEPREFIX" ] && wineserver -k 2> /dev/null 9>&- || true
        fi
        display_start "$state"
        if [ ! -f "$WINEPREFIX/.ready" ]; then
            wineboot -i > "$state/wineboot.log" 2>&1 9>&-
            wineserver -w 9>&-
            touch "$WINEPREFIX/.ready"
        fi
    ) 9> "$state/lock"
    display_start "$state"
}

wine_stop() {
    state=$ZENTOLAR_WINE_STATE
    export WINEPREFIX="$state/prefix"
    [ -d "$WINEPREFIX" ] && wineserver -k 2> /dev/null || true
    display_stop "$state"
}

if [ "${ZENTOLAR_WINE_SOURCED:-}" != 1 ]; then
    ZENTOLAR_WINE_STATE=$1
    shift
    case "${1:-}" in
    --stop)
        wine_stop
        ;;
    --qtest)
        shift
        wine_start
        # Without a window manager Wine waits two seconds for one whenever a window closes.
        # The suites open hundreds of windows: Wine manages them itself (and draws their frames).
        # The program keeps the default, so a black-box test sees its client area as the window.
        program=$(basename "$1")
        if [ ! -f "$ZENTOLAR_WINE_STATE/unmanaged-$program" ]; then
            wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$program\\X11 Driver" /v Managed /d N /f \
                > /dev/null 2>&1
            touch "$ZENTOLAR_WINE_STATE/unmanaged-$program"
        fi
        results=$(mktemp "$ZENTOLAR_WINE_STATE/qtest.XXXXXX")
        status=0
        wine "$@" -o "$results,txt" || status=$?
        cat "$results"
        rm -f "$results"
        exit "$status"
        ;;
    *)
        wine_start
        exec wine "$@"
        ;;
    esac
fi
