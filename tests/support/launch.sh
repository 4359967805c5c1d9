#!/bin/sh
# Starts every X server and browser the tests start, one way for the shell tests (desktop.sh) and
# the Python ones (tests/browser/engines.py, cdp.py) alike: the flags and the profile that keep a
# browser to the test (nothing shown first, nothing asked of the network but 127.0.0.1), and
# WebKitGTK's MiniBrowser where its package put it.
#
#   launch.sh display STATE           starts a private Xvfb for folder STATE, unless one runs
#                                     there, and prints its name (:N); STATE/xvfb.pid is its pid
#   launch.sh chromium WORK ARGS...   runs Chromium with its profile in WORK and ARGS after the
#                                     test's flags (open file descriptors are its own)
#   launch.sh firefox WORK ARGS...    writes the test's preferences into WORK/profile/user.js (a
#                                     test may add its own after them) and runs Firefox ESR with it
#   launch.sh minibrowser             prints the MiniBrowser's path
set -eu

# Xvfb for the display tests: a screen like a small laptop's, listening on no network socket.
display() {
    state=$1
    mkdir -p "$state"
    if [ ! -s "$state/display" ] || ! kill -0 "$(cat "$state/xvfb.pid" 2> /dev/null)" 2> /dev/null; then
        rm -f "$state/display"
        # -displayfd picks a free display and writes its number once the server is ready.
        Xvfb -displayfd 8 -screen 0 1280x1024x24 -nolisten tcp 8> "$state/display" 9>&- \
            > "$state/xvfb.log" 2>&1 < /dev/null &
        echo $! > "$state/xvfb.pid"
        i=0
        until [ -s "$state/display" ]; do
            i=$((i + 1))
            [ "$i" -lt 100 ] || { echo "Xvfb did not start:" >&2; cat "$state/xvfb.log" >&2; exit 1; }
            sleep 0.1
        done
    fi
    echo ":$(cat "$state/display")"
}

# Chromium's own requests (updates, time, its services) find no address: tests reach 127.0.0.1
# only. As root it runs without its sandbox, which needs a user's namespaces.
chromium_run() {
    work=$1
    shift
    sandbox=""
    [ "$(id -u)" -ne 0 ] || sandbox="--no-sandbox"
    # shellcheck disable=SC2086 # no flag or one
    exec chromium $sandbox --test-type --user-data-dir="$work/profile" --no-first-run \
        --no-default-browser-check --disable-background-networking --disable-component-update \
        --disable-sync --disable-default-apps --disable-extensions --disable-gpu --disable-quic \
        --password-store=basic --host-resolver-rules="MAP * ~NOTFOUND, EXCLUDE 127.0.0.1" "$@"
}

# A Firefox profile that shows nothing first and asks for nothing on its own: no welcome, no
# telemetry, no updates, no media plugins (fetched from Mozilla's and Google's services), no
# captive portal or connectivity checks; the asynchronous clipboard open to the test's scripts,
# as Firefox's own tests open it; no caret blinking, and a scroll where it is put at once, as in
# the other engines.
firefox_run() {
    work=$1
    shift
    mkdir -p "$work/profile" "$work/home"
    cat > "$work/profile/user.js" << 'PREFS'
user_pref("marionette.port", 0);
user_pref("browser.shell.checkDefaultBrowser", false);
user_pref("browser.startup.page", 0);
user_pref("browser.startup.homepage_override.mstone", "ignore");
user_pref("browser.aboutwelcome.enabled", false);
user_pref("browser.sessionstore.resume_from_crash", false);
user_pref("datareporting.policy.dataSubmissionEnabled", false);
user_pref("datareporting.policy.dataSubmissionPolicyBypassNotification", true);
user_pref("toolkit.telemetry.reportingpolicy.firstRun", false);
user_pref("app.update.disabledForTesting", true);
user_pref("media.gmp-provider.enabled", false);
user_pref("media.gmp-gmpopenh264.enabled", false);
user_pref("media.gmp-widevinecdm.enabled", false);
user_pref("network.captive-portal-service.enabled", false);
user_pref("network.connectivity-service.enabled", false);
user_pref("dom.events.testing.asyncClipboard", true);
user_pref("dom.events.asyncClipboard.readText", true);
user_pref("ui.caretBlinkTime", -1);
user_pref("general.smoothScroll", false);
PREFS
    # A test's own preferences, if it wrote any before, come after these.
    if [ -f "$work/profile/test.js" ]; then
        cat "$work/profile/test.js" >> "$work/profile/user.js"
    fi
    HOME="$work/home" MOZ_CRASHREPORTER_DISABLE=1 exec firefox-esr --profile "$work/profile" --no-remote \
        --new-instance "$@"
}

# Where webkit2gtk-driver's package put the MiniBrowser, for whatever architecture this is.
minibrowser() {
    for found in /usr/lib/*/webkit2gtk-4.1/MiniBrowser /usr/libexec/webkit2gtk-4.1/MiniBrowser; do
        [ -x "$found" ] && { echo "$found"; return 0; }
    done
    echo "no MiniBrowser (Debian: webkit2gtk-driver)" >&2
    exit 1
}

[ $# -ge 1 ] || { echo "usage: $0 display|chromium|firefox|minibrowser ..." >&2; exit 2; }
what=$1
shift
case $what in
display) display "$@" ;;
chromium) chromium_run "$@" ;;
firefox) firefox_run "$@" ;;
minibrowser) minibrowser ;;
*)
    echo "usage: $0 display|chromium|firefox|minibrowser ..." >&2
    exit 2
    ;;
esac
