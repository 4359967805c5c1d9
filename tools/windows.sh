#!/bin/sh
# Makes the Windows program from Qt 6.8, whatever Linux runs this:
#
#   tools/windows.sh [package]   the installer and the portable zip, zentolar-<version>-win64.exe/.zip
#                                (build/packages/windows/out)
#   tools/windows.sh test        every Windows test: the suites, the program, its clipboard and its
#                                installer, under Wine on a private display
#
# Qt for Windows is built from Debian 13's qt6-base source with Debian 13's MinGW-w64, and its host
# tools must be the same Qt, so the build runs on Debian 13: here if this is Debian 13, otherwise in a
# fresh Debian 13 root (tools/debian-root.sh, as root), whose build/ is this checkout's build/debian13/.
set -eu
cd "$(dirname "$0")/.."
script=windows
# shellcheck source=lib.sh
. tools/lib.sh
action=${1:-package}
case $action in
package) workflow=windows-packages ;;
test) workflow=windows ;;
*)
    echo "usage: $0 [package|test]" >&2
    exit 2
    ;;
esac
steps="sh tools/setup.sh windows && cmake --workflow --preset $workflow"

if [ "$(os_release)" = debian-13 ]; then
    sh -c "$steps"
else
    as_root sh tools/debian-root.sh 13 "$steps"
    [ "$action" = test ] || echo "Made: build/debian13/packages/windows/out/zentolar-*-win64.exe and .zip"
fi
