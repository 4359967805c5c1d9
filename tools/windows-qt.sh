#!/bin/sh
# Builds Qt for Windows (static, release, MinGW-w64) from Debian's own qtbase source of exactly
# the host's Qt version, once per machine, into a cache outside the checkout:
#   CACHE/windows/qt-<version>-<key>/   the installed Qt (key: configure options + toolchain)
#   CACHE/windows/qt                    a link to it, which the `windows` presets use
# CACHE is the cache folder of cmake/facts.cmake. A cache without its .complete mark is the
# leftover of an interrupted build and is built again. Run by `tools/setup.sh windows`.
#
# Every Windows program is made from one Qt, the LTS series below. Its host tools (moc, rcc) must be
# the same version, so it is built where the host's Qt is that series: on Debian 13, or in a
# Debian 13 root on any other Linux (tools/windows.sh chooses).
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
script=windows-qt
# shellcheck source=lib.sh
. "$top/tools/lib.sh"
trap 'stopped $?' EXIT
cache=$(cmake -P "$top/tools/facts.cmake" cache)/windows
series=6.8
toolchain="$top/cmake/mingw-w64-x86_64.cmake"

# Modules the program and its tests need: Core, Gui, Widgets and Test, with the Windows platform
# plugin and the Windows styles. Everything else is left out to keep the build short.
# -no-feature-tabletevent: Debian's source has no Wintab sources.
options="-release -static -static-runtime -xplatform win32-g++ -nomake examples -nomake tests
 -no-opengl -no-dbus -no-icu -no-glib -no-pkg-config -qt-zlib -qt-pcre -qt-libpng -qt-libjpeg
 -qt-freetype -qt-harfbuzz -qt-doubleconversion -no-feature-sql -no-feature-network
 -no-feature-printsupport -no-feature-concurrent -no-feature-xml -no-feature-vulkan
 -no-feature-tabletevent"

step="read the host's Qt version"
host_version=$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null) ||
    fail "qt6-base-dev is not installed (run tools/setup.sh first)"
upstream=${host_version%%+*}
upstream=${upstream%%-*}
case $upstream in
"$series" | "$series".*) ;;
*) fail "the host's Qt is $upstream; Windows programs are made from Qt $series (Debian 13's).
Run the Windows build in a Debian 13 root: sh tools/windows.sh" ;;
esac
key=$(printf '%s\n' "$options" | cat - "$toolchain" | sha256sum | cut -c1-12)
prefix="$cache/qt-$upstream-$key"
link=$(cmake -P "$top/tools/facts.cmake" windows_qt)

step="prepare the cache folder $cache"
if ! mkdir -p "$cache" 2>/dev/null || [ ! -w "$cache" ]; then
    as_root mkdir -p "$cache"
    as_root chown "$(id -u):$(id -g)" "$cache"
fi
# One build at a time; a build that finished while this one waited is used as it is.
exec 7> "$cache/.lock"
flock 7
if [ -f "$prefix/.complete" ]; then
    ln -sfn "$prefix" "$link"
    echo "Qt $upstream for Windows: already in $prefix"
    exit 0
fi
if [ -d "$prefix" ]; then
    echo "Qt $upstream for Windows: $prefix was left half made; building it again"
    rm -rf "$prefix"
fi
work="$cache/work-$key"
rm -rf "$work"
mkdir -p "$work"

step="fetch Debian's qt6-base source $host_version"
echo "[1/5] Source of qt6-base $host_version"
if ! grep -qs '^\(Types: .*deb-src\|deb-src \)' /etc/apt/sources.list.d/*.sources /etc/apt/sources.list; then
    # Repeat the machine's own binary entries as source entries.
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
            as_root tee /etc/apt/sources.list.d/zentolar-src.sources > /dev/null
    elif [ -f /etc/apt/sources.list.d/ubuntu.sources ]; then
        sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/ubuntu.sources |
            as_root tee /etc/apt/sources.list.d/zentolar-src.sources > /dev/null
    else
        sed -n 's/^deb /deb-src /p' /etc/apt/sources.list |
            as_root tee /etc/apt/sources.list.d/zentolar-src.list > /dev/null
    fi
    as_root apt-get update -qq
fi
(cd "$work" && apt-get source -qq --download-only "qt6-base=$host_version") ||
    fail "no source package qt6-base=$host_version is reachable (is a deb-src entry configured?)"

step="unpack the source"
echo "[2/5] Unpacking"
(cd "$work" && dpkg-source -q -x qt6-base_*.dsc src > /dev/null) || fail "dpkg-source could not unpack it"
source_version=$(sed -n 's/.*QT_REPO_MODULE_VERSION "\([0-9.]*\)".*/\1/p' "$work/src/.cmake.conf")
[ "$source_version" = "$upstream" ] ||
    fail "the source is Qt $source_version but the host's Qt is $upstream; both must be the same version"

# Dates in Qt's own build come from its source package, as in Debian's builds.
SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l "$work/src/debian/changelog" -STimestamp)
export SOURCE_DATE_EPOCH

step="configure Qt $upstream for Windows"
echo "[3/5] Configuring Qt $upstream (static, MinGW-w64)"
mkdir -p "$work/build"
# shellcheck disable=SC2086 # options is a word list
(cd "$work/build" && "$work/src/configure" -prefix "$prefix" $options -qt-host-path /usr \
    -- -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DQT_HOST_PATH_CMAKE_DIR="/usr/lib/$(multiarch)/cmake" > "$work/configure.log" 2>&1) ||
    { tail -30 "$work/configure.log"; fail "configure failed; log: $work/configure.log"; }

step="build Qt (about 25 minutes on two cores)"
echo "[4/5] Building (about 25 minutes on two cores)"
# Ninja prints a line per step; show one in fifty so the progress stays readable.
(cd "$work/build" && ninja 2>&1; echo "ninja-exit $?") | tee "$work/build.log" |
    while IFS= read -r line; do
        case $line in
        \[*/*\]*)
            done_steps=${line%%/*}
            done_steps=${done_steps#\[}
            all_steps=${line%%\]*}
            all_steps=${all_steps#*/}
            if [ $((done_steps % 50)) -eq 0 ] || [ "$done_steps" = "$all_steps" ]; then
                echo "  $done_steps of $all_steps steps ($(date +%H:%M))"
            fi
            ;;
        esac
    done
grep -q '^ninja-exit 0$' "$work/build.log" ||
    { grep -B5 -A20 'FAILED' "$work/build.log" | head -60; fail "the build failed; log: $work/build.log"; }

step="install into $prefix"
echo "[5/5] Installing into $prefix"
(cd "$work/build" && cmake --install . > "$work/install.log" 2>&1) || fail "install failed; log: $work/install.log"
printf '%s\n%s\n' "qt6-base $host_version" "$options" > "$prefix/.complete"
ln -sfn "$prefix" "$link"
rm -rf "$work"
echo "Qt $upstream for Windows: ready in $prefix"
