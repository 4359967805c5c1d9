# shellcheck shell=sh
# What the scripts in tools/ share, sourced by each: a command run as root, the system's release,
# the host's multiarch folder name, and a failure or a stop told with the step it happened in.
# A script sets `script` (its name in messages) before it sources this, and `step` as it goes.

# as_root COMMAND...: runs COMMAND as root, through sudo when not root already.
as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    else
        sudo "$@"
    fi
}

# The system's release, as /etc/os-release names it: debian-13, ubuntu-24.04.
os_release() {
    (. /etc/os-release && echo "${ID:-}-${VERSION_ID:-}")
}

# The host's multiarch name (x86_64-linux-gnu on amd64), under which Debian keeps what is built
# for one architecture: /usr/lib/<multiarch>/.
multiarch() {
    dpkg-architecture -qDEB_HOST_MULTIARCH 2> /dev/null || gcc -print-multiarch
}

step="start"

# fail MESSAGE: stops the script, telling the step it failed at.
# shellcheck disable=SC2154 # script is set by the script that sources this
fail() {
    echo "$script: failed at step '$step': $*" >&2
    exit 1
}

# stopped STATUS: for an exit trap, tells the step a script stopped in when it did not end well.
stopped() {
    [ "$1" -eq 0 ] || echo "$script: stopped during step: $step" >&2
}
