#!/bin/sh
# Installs a Debian package with apt as a user would, on a clean system of the release it is
# built for (tools/release.sh runs this in a fresh root), starts the program to its key prompt,
# and removes it again: nothing of it may stay behind.
# Usage: check_deb_install.sh PACKAGE.deb APP_NAME
set -eu
here=$(cd "$(dirname "$0")" && pwd)
deb=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
name=$2
# shellcheck source=support/desktop.sh
. "$here/support/desktop.sh"

export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
# Recommends too, as a plain `apt install` brings them.
apt-get install -y -qq "$deb" > /tmp/install.log 2>&1 || { cat /tmp/install.log; exit 1; }
version=$(dpkg-query -W -f='${Version}' zentolar)
echo "installed zentolar $version"
missing=$(ldd /usr/bin/zentolar | grep 'not found' || true)
[ -z "$missing" ] || fail "libraries missing: $missing"
files=$(dpkg -L zentolar)

# The key prompt, on a private display. The display and xdotool come after the package, so that
# they cannot bring anything the package itself fails to ask for.
apt-get install -y -qq --no-install-recommends xvfb xauth xdotool > /dev/null 2>&1
state=$(mktemp -d)
display_start "$state"
zentolar > "$state/zentolar.log" 2>&1 &
program=$!
prompt=$(wait_window Clave 30)
if [ -n "$prompt" ]; then
    echo "key prompt shown"
else
    fail "the key prompt \"Clave\" did not appear:"
    cat "$state/zentolar.log"
fi
window_shown "$name" && fail "the window appeared before the key was given"
kill "$program" 2> /dev/null || true
wait "$program" 2> /dev/null || true
display_stop "$state"

apt-get remove -y -qq --purge zentolar > /dev/null 2>&1
! dpkg-query -W -f='${Status}' zentolar 2> /dev/null | grep -q "install ok installed" || fail "still installed"
for file in $files; do
    [ -d "$file" ] || [ ! -e "$file" ] || fail "left behind: $file"
done
[ "$failed" -eq 0 ] && echo "removed"
exit "$failed"
