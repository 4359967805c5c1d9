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

wine_start() {
    state=$ZENTOLAR_WINE_STATE
    mkdir -p "$state"
    export WINEPREFIX="$state/prefix" WINEARCH=win64 WINEDEBUG=-all
    # No Mono or Gecko: the tests need neither, and their installers would ask.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    (
        flock 9
        if [ ! -s "$state/display" ] || ! kill -0 "$(cat "$state/xvfb.pid" 2>/dev/null)" 2>/dev/null; then
            rm -f "$state/display"
            # A Wine server left from an interrupted run knows only the old display.
            [ -d "$WINEPREFIX" ] && wineserver -k 2> /dev/null 9>&- || true
            # -displayfd picks a free display and writes its number once the server is ready.
            Xvfb -displayfd 8 -screen 0 1280x1024x24 -nolisten tcp 8> "$state/display" 9>&- \
                > "$state/xvfb.log" 2>&1 &
            echo $! > "$state/xvfb.pid"
            i=0
            until [ -s "$state/display" ]; do
                i=$((i + 1))
                [ "$i" -lt 100 ] || { echo "Xvfb did not start:"; cat "$state/xvfb.log"; exit 1; }
                sleep 0.1
            done
        fi
        if [ ! -f "$WINEPREFIX/.ready" ]; then
            DISPLAY=":$(cat "$state/display")" wineboot -i > "$state/wineboot.log" 2>&1 9>&-
            DISPLAY=":$(cat "$state/display")" wineserver -w 9>&-
            touch "$WINEPREFIX/.ready"
        fi
    ) 9> "$state/lock"
    DISPLAY=":$(cat "$state/display")"
    export DISPLAY
}

wine_stop() {
    state=$ZENTOLAR_WINE_STATE
    export WINEPREFIX="$state/prefix"
    [ -d "$WINEPREFIX" ] && wineserver -k 2> /dev/null || true
    if [ -f "$state/xvfb.pid" ]; then
        kill "$(cat "$state/xvfb.pid")" 2> /dev/null || true
        rm -f "$state/xvfb.pid" "$state/display"
    fi
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
