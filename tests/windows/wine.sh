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
# shellcheck source=../support/desktop.sh
. "$(dirname "$0")/../support/desktop.sh"

# A LOGFONTW of face $1 at $2 pixels (96 dpi) in the form of a .reg file: weight 400, default
# character set, ClearType quality.
logfont() {
    printf 'hex:'
    printf '%08x' $((0x100000000 - $2)) | sed 's/\(..\)\(..\)\(..\)\(..\)/\4,\3,\2,\1,/'
    printf '00,00,00,00,00,00,00,00,00,00,00,00,90,01,00,00,00,00,00,01,00,00,05,00'
    printf '%s' "$1" | iconv -f UTF-8 -t UTF-16LE | od -An -v -tx1 | tr -s ' \n' ' ' |
        awk -v face=$((${#1} * 2)) '{ for (i = 1; i <= NF; i++) printf ",%s", $i;
                                       for (i = face; i < 64; i++) printf ",00" }'
}

# A new prefix names Tahoma at 8 pixels (8.25 points) for every system font, and Debian's Wine has
# no Tahoma: programs get a stand-in, smaller than Windows' own. Set the prefix up as a default
# Windows 10 or 11: the system fonts are Segoe UI at 9 points, drawn with Open Sans (the same
# designer, nearly the same widths).
wine_windows_fonts() {
    segoe=$(logfont "Segoe UI" 12)
    {
        printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Control Panel\\Desktop\\WindowMetrics]\n'
        for font in CaptionFont SmCaptionFont MenuFont StatusFont MessageFont IconFont; do
            printf '"%s"=%s\n' "$font" "$segoe"
        done
        printf '\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\n'
        printf '"Segoe UI"="Open Sans"\n'
    } > "$state/fonts.reg"
    wine regedit /S "$(winepath -w "$state/fonts.reg" 2> /dev/null)" 9>&-
    wineserver -w 9>&-
}

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
            if [ -d "$WINEPREFIX" ]; then
                wineserver -k 2> /dev/null 9>&- || true
            fi
        fi
        display_start "$state"
        if [ ! -f "$WINEPREFIX/.ready" ]; then
            wineboot -i > "$state/wineboot.log" 2>&1 9>&-
            wineserver -w 9>&-
            wine_windows_fonts
            touch "$WINEPREFIX/.ready"
        fi
    ) 9> "$state/lock"
    display_start "$state"
}

wine_stop() {
    state=$ZENTOLAR_WINE_STATE
    export WINEPREFIX="$state/prefix"
    if [ -d "$WINEPREFIX" ]; then
        wineserver -k 2> /dev/null || true
    fi
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
