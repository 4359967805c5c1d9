#!/bin/sh
# Installs what building and testing Zentolar needs on Debian or Ubuntu; does nothing when all is there.
# `tools/setup.sh windows` also installs the cross tools for Windows (MinGW-w64, Wine, NSIS) and
# builds Qt for Windows once per machine (tools/windows-qt.sh); `tools/setup.sh roads` also
# installs Thunderbird, the Dovecot IMAP server, ngIRCd and irssi for the tests of an encoded text
# sent by mail and chat (ctest --preset roads). With ZENTOLAR_SETUP_LIST set, it only prints the
# packages it would see to (npm among them, wherever Node comes from).
set -eu
script=setup
# shellcheck source=lib.sh
. "$(dirname "$0")/lib.sh"

# qt6-translations-l10n has the Spanish texts compiled into the program; the second and third
# lines check the Windows resources, the desktop files and the Debian package, fuzz, build the
# page's WebAssembly (clang, lld), and check the code's format and the shell scripts; the fourth
# sends an encoded text through real browsers on a private display, as a user would, and drives
# the page in Chromium, Firefox ESR and WebKitGTK (its WebDriver, whose package brings the
# engine's MiniBrowser) from python3, and sends an encoded copy through cmark-gfm, GitHub's
# formatter; nginx serves the page's site to them as a web host does.
packages="cmake ninja-build g++ qt6-base-dev qt6-translations-l10n libgl-dev libbenchmark-dev
    binutils-mingw-w64-x86-64 desktop-file-utils appstream dpkg-dev file clang libclang-rt-dev lld
    clang-format shellcheck
    chromium firefox-esr webkit2gtk-driver xvfb xauth xdotool xclip python3 cmark-gfm nginx"
windows=false
if [ "${1:-}" = roads ]; then
    packages="$packages thunderbird dovecot-imapd ngircd irssi tmux"
fi
if [ "${1:-}" = windows ]; then
    windows=true
    # wine64 runs the programs; xvfb, xdotool and xclip (above) drive them as a user would;
    # Open Sans stands in for Windows' Segoe UI.
    packages="$packages g++-mingw-w64-x86-64 wine wine64 fonts-wine fonts-open-sans nsis x11-utils
        imagemagick unzip"
fi

# npm fetches axe-core, which checks the page's accessibility, ESLint, which checks its script, and
# the formatters of chats and forums an encoded copy is sent through (tests/browser/package.json);
# pyflakes checks the Python scripts, fontTools draws the codes' font.
command -v npm > /dev/null || packages="$packages npm"
packages="$packages pyflakes3 python3-fonttools"
# Every build goes through ccache, which keeps what it compiled for the next build.
packages="$packages ccache"
if [ -n "${ZENTOLAR_SETUP_LIST:-}" ]; then
    # shellcheck disable=SC2086 # one package a line
    printf '%s\n' $packages npm | sort -u
    exit 0
fi

missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    echo "Installing:$missing"
    log=$(mktemp)
    # dpkg's line per package is kept for a failure.
    # shellcheck disable=SC2086 # word lists of packages
    { as_root apt-get update -qq && DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq \
        --no-install-recommends $missing; } > "$log" 2>&1 || { cat "$log"; rm -f "$log"; exit 1; }
    rm -f "$log"
    # Debian starts the web, IMAP and IRC servers it installs, listening on every address; the
    # tests run servers of their own on 127.0.0.1, so those just installed are stopped and kept
    # stopped.
    services=""
    case " $missing " in *" nginx "*) services="$services nginx.service" ;; esac
    case " $missing " in *" dovecot-imapd "*) services="$services dovecot.service" ;; esac
    case " $missing " in *" ngircd "*) services="$services ngircd.service" ;; esac
    if [ -n "$services" ] && [ -d /run/systemd/system ]; then
        # shellcheck disable=SC2086 # a word list of services
        as_root systemctl disable --now $services > /dev/null 2>&1 || true
    fi
fi

# A Debian root takes the packages into its base once (tools/debian-root.sh).
[ -z "${ZENTOLAR_SETUP_PACKAGES_ONLY:-}" ] || exit 0

browser_tests="$(dirname "$0")/../tests/browser"
# Installed again whenever the lock file differs from the one last installed.
installed="$browser_tests/node_modules/.installed-package-lock.json"
if ! cmp -s "$browser_tests/package-lock.json" "$installed"; then
    echo "Installing the page tests' packages from npm"
    log=$(mktemp)
    npm ci --prefix "$browser_tests" --no-audit --no-fund > "$log" 2>&1 || { cat "$log"; rm -f "$log"; exit 1; }
    rm -f "$log"
    cp "$browser_tests/package-lock.json" "$installed"
fi

if $windows; then
    sh "$(dirname "$0")/windows-qt.sh"
fi
