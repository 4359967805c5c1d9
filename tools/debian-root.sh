#!/bin/sh
# Runs a command in a fresh Debian system, as on a machine that has nothing yet:
#
#   tools/debian-root.sh 12|13 COMMAND      the checkout's files (tracked and new, with their changes)
#   tools/debian-root.sh 12|13 --commit REV COMMAND   the files of one commit alone (git archive)
#
# The minimal root (debootstrap --variant=minbase) is made once per machine from the machine's own
# package archive and kept in the cache folder (cmake/facts.cmake), as debianN/root; a root
# without its .complete mark is half made and is made again. Every run starts from the root as
# debootstrap left it: what the run changes goes to a throw-away overlay, so COMMAND must install
# all it needs, every time. Downloaded packages and package lists are kept beside the root.
#
# COMMAND runs with bash in /root/zentolar, a copy of the checkout, with a clean environment
# (SOURCE_DATE_EPOCH, CI and the cache folder are passed through). Its build/ is the checkout's
# build/debianN/, so what it builds outlives the run; the cache's windows/ (Qt for Windows) is
# shared too.
# Needs root (mount, chroot); one run at a time per checkout.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
script=debian-root
# shellcheck source=lib.sh
. "$top/tools/lib.sh"
command -v cmake > /dev/null || fail "needs cmake (tools/setup.sh)"
cache=$(cmake -P "$top/tools/facts.cmake" cache)

usage() {
    echo "usage: $0 12|13 [--commit REV] COMMAND" >&2
    exit 2
}
[ $# -ge 2 ] || usage
release=$1
shift
case $release in
12) suite=bookworm ;;
13) suite=trixie ;;
*) usage ;;
esac
commit=""
if [ "$1" = --commit ]; then
    [ $# -ge 3 ] || usage
    commit=$(git -C "$top" rev-parse --verify "$2^{commit}") || usage
    shift 2
fi
command=$1
script="debian-root: Debian $release"
[ "$(id -u)" -eq 0 ] || fail "needs root, to mount and chroot (run it with sudo)"

home="$cache/debian$release"
root="$home/root"
mkdir -p "$home" "$top/build/debian$release"
exec 8> "$top/build/.debian$release.lock"
flock -n 8 || fail "another run in Debian $release is using this checkout"

# The machine's own archive: the URIs of its main and security entries (deb822 or one-line form).
archive_uri() { # SECURITY(yes|no)
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] && awk -v security="$1" '
            /^URIs:/ { uri = $2 }
            /^Suites:/ { is_security = ($0 ~ /-security/) }
            /^$/ { if (uri != "" && (is_security ? "yes" : "no") == security) { print uri; exit }
                   uri = "" }
            END { if (uri != "" && (is_security ? "yes" : "no") == security) print uri }' "$f"
    done
    [ -f /etc/apt/sources.list ] && awk -v security="$1" '
        $1 == "deb" { s = ($3 ~ /-security/) ? "yes" : "no"; if (s == security) print $2 }' \
        /etc/apt/sources.list
}
mirror=$(archive_uri no | head -1)
security=$(archive_uri yes | head -1)
[ -n "$mirror" ] || mirror=http://deb.debian.org/debian
[ -n "$security" ] || security=http://deb.debian.org/debian-security

# Unmounts every mount at or below a folder, deepest first.
unmount_below() {
    awk -v dir="$1" '$2 == dir || index($2, dir "/") == 1 { print $2 }' /proc/self/mounts |
        sort -r | while read -r m; do umount "$m" 2> /dev/null || umount -l "$m"; done
}

if [ ! -f "$root/.complete" ]; then
    step="make the Debian $release root"
    if [ -d "$root" ]; then
        echo "Debian $release: $root was left half made; making it again"
        unmount_below "$root"
        rm -rf "$root"
    fi
    if ! command -v debootstrap > /dev/null; then
        { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap; } ||
            fail "debootstrap could not be installed"
    fi
    echo "Debian $release: making the minimal system in $root ($mirror)"
    debootstrap --variant=minbase "$suite" "$root" "$mirror" > "$home/debootstrap.log" 2>&1 ||
        { tail -20 "$home/debootstrap.log"; fail "debootstrap failed; log: $home/debootstrap.log"; }
    cat > "$root/etc/apt/sources.list.d/debian.sources" << EOF
Types: deb
URIs: $mirror
Suites: $suite $suite-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb
URIs: $security
Suites: $suite-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
    rm -f "$root/etc/apt/sources.list"
    # Kept downloads are what makes the next run quick.
    echo 'Binary::apt::APT::Keep-Downloaded-Packages "true";' > "$root/etc/apt/apt.conf.d/10keep-debs"
    touch "$root/.complete"
fi

mkdir -p "$home/debs/partial" "$home/lists/partial" "$cache/windows" "$cache/ccache-debian$release"

# The packages the set-up installs (for Windows too) go into the root's base once for each list of
# them, so a run does not unpack them again; the run's own set-up then finds them there.
packages=$(ZENTOLAR_SETUP_LIST=1 sh "$top/tools/setup.sh" windows) || fail "the set-up listed no packages"
packages_stamp="$root/.packages-$(echo "$packages" | cksum | cut -d ' ' -f 1)"
if [ ! -f "$packages_stamp" ]; then
    step="install the set-up's packages into the root"
    echo "Debian $release: installing the set-up's packages into $root"
    trap 'unmount_below "$root"' EXIT
    mount -t proc proc "$root/proc"
    mount --bind /dev "$root/dev"
    mount --bind /dev/pts "$root/dev/pts"
    mount --bind "$home/debs" "$root/var/cache/apt/archives"
    mount --bind "$home/lists" "$root/var/lib/apt/lists"
    cp -L /etc/resolv.conf "$root/etc/resolv.conf" 2> /dev/null || true
    cp "$top/tools/setup.sh" "$top/tools/lib.sh" "$root/tmp/"
    chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 \
        ZENTOLAR_SETUP_PACKAGES_ONLY=1 sh /tmp/setup.sh windows || fail "the set-up's packages did not install"
    rm -f "$root/tmp/setup.sh" "$root/tmp/lib.sh" "$root"/.packages-*
    unmount_below "$root"
    trap - EXIT
    touch "$packages_stamp"
fi

step="prepare the run"
mkdir -p "$home/runs"
run=$(mktemp -d "$home/runs/run.XXXXXX")
merged="$run/merged"
cleanup() {
    status=$?
    trap - EXIT INT TERM
    # Programs the command left running (a Wine server, a display) hold the mounts.
    for p in /proc/[0-9]*; do
        [ "$(readlink "$p/root" 2> /dev/null)" = "$merged" ] && kill -9 "${p#/proc/}" 2> /dev/null
    done
    unmount_below "$merged"
    rm -rf "$run"
    stopped $status
    exit $status
}
trap cleanup EXIT
trap 'exit 130' INT TERM
mkdir -p "$run/upper" "$run/work" "$merged"
mount -t overlay overlay -o "lowerdir=$root,upperdir=$run/upper,workdir=$run/work" "$merged" ||
    fail "the kernel refused an overlay mount"
mount -t proc proc "$merged/proc"
mount --rbind /sys "$merged/sys"
mount --bind /dev "$merged/dev"
mount --bind /dev/pts "$merged/dev/pts"
mount -t tmpfs tmpfs "$merged/dev/shm"
mount -t tmpfs tmpfs "$merged/tmp"
mount --bind "$home/debs" "$merged/var/cache/apt/archives"
mount --bind "$home/lists" "$merged/var/lib/apt/lists"
mkdir -p "$merged$cache/windows" "$merged/root/zentolar/build"
mount --bind "$cache/windows" "$merged$cache/windows"
# What ccache compiled in earlier runs.
mkdir -p "$merged/root/.cache/ccache"
mount --bind "$cache/ccache-debian$release" "$merged/root/.cache/ccache"
cp -L /etc/resolv.conf "$merged/etc/resolv.conf" 2> /dev/null || true
# The machine's own certificate authorities, which its way out may need (a proxy that signs what it
# passes on): npm takes them beside Node's own.
extra_ca=""
if [ -f /etc/ssl/certs/ca-certificates.crt ]; then
    mkdir -p "$merged/etc/ssl"
    cp -L /etc/ssl/certs/ca-certificates.crt "$merged/etc/ssl/machine-certificates.crt"
    extra_ca=NODE_EXTRA_CA_CERTS=/etc/ssl/machine-certificates.crt
fi

step="copy the checkout"
if [ -n "$commit" ]; then
    git -C "$top" archive "$commit" | tar -x -C "$merged/root/zentolar"
elif git -C "$top" rev-parse --git-dir > /dev/null 2>&1; then
    rev=$(git -C "$top" stash create)
    git -C "$top" archive "${rev:-HEAD}" | tar -x -C "$merged/root/zentolar"
    (cd "$top" && git ls-files -z --others --exclude-standard | xargs -0r cp --parents -t "$merged/root/zentolar")
else
    # A copy of the sources without git: all but what builds leave.
    (cd "$top" && tar -c --exclude=./build --exclude=./dist .) | tar -x -C "$merged/root/zentolar"
fi
mount --bind "$top/build/debian$release" "$merged/root/zentolar/build"

step="run: $command"
echo "Debian $release ($suite): $command"
chroot "$merged" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 \
    ZENTOLAR_CACHE="$cache" ${SOURCE_DATE_EPOCH:+SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH} ${CI:+CI=$CI} $extra_ca \
    bash -c "cd /root/zentolar && $command"
