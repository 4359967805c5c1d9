#!/bin/sh
# Builds what this Debian release ships into OUT_DIR: the Debian package, and on Debian 13 the page
# (zentolar-<version>.html), the Windows installer and the portable zip too. Run on the release itself (tools/release.sh and
# tools/check-reproducible.sh run it in a fresh root), after tools/setup.sh (windows on Debian 13).
# Every date comes from SOURCE_DATE_EPOCH, which must be set: the commit's time.
#
#   tools/packages.sh OUT_DIR [BUILD_DIR]     BUILD_DIR defaults to build/packages
set -eu
[ $# -ge 1 ] || { echo "usage: $0 OUT_DIR [BUILD_DIR]" >&2; exit 2; }
cd "$(dirname "$0")/.."
out=$1
build=${2:-build/packages}
: "${SOURCE_DATE_EPOCH:?set SOURCE_DATE_EPOCH to the commit time}"
export SOURCE_DATE_EPOCH
mkdir -p "$out"
# rcc stamps the resources with SOURCE_DATE_EPOCH, but a build folder does not know the stamp as an
# input: a resource that did not change keeps an older commit's time. A build folder is reused
# only for the commit time it was made with.
if [ "$(cat "$build/source-date-epoch" 2> /dev/null)" != "$SOURCE_DATE_EPOCH" ]; then
    rm -rf "$build"
    mkdir -p "$build"
    echo "$SOURCE_DATE_EPOCH" > "$build/source-date-epoch"
fi

# The packages hold the program alone: tests and benchmarks are left out of these builds.
options="-DBUILD_TESTING=OFF -DZENTOLAR_BUILD_BENCH=OFF"
# shellcheck disable=SC2086 # a word list of options
cmake -S . -B "$build/debian" -G Ninja -DCMAKE_BUILD_TYPE=Release $options > /dev/null
cmake --build "$build/debian"
rm -rf "$build/debian/out"
cpack --config "$build/debian/CPackConfig.cmake" -G DEB -B "$build/debian/out" > /dev/null
cp "$build/debian/out"/zentolar_*.deb "$out/"

# The page and the Windows packages come from Debian 13: the page from its clang, the Windows
# packages with the Qt the windows preset names.
version_id=$(. /etc/os-release && echo "${ID:-}-${VERSION_ID:-}")
if [ "$version_id" = debian-13 ]; then
    cp "$build/debian/page"/zentolar-*.html "$out/"
    if [ -f /var/cache/zentolar/windows/qt/.complete ]; then
        # shellcheck disable=SC2086
        cmake --preset windows -B "$build/windows" $options > /dev/null
        cmake --build "$build/windows"
        rm -rf "$build/windows/out"
        cpack --config "$build/windows/CPackConfig.cmake" -B "$build/windows/out" > /dev/null
        cp "$build/windows/out"/zentolar-*-win64.exe "$build/windows/out"/zentolar-*-win64.zip "$out/"
    else
        echo "Qt for Windows is not built (tools/setup.sh windows): no Windows installer or zip"
    fi
fi
ls -l "$out"
