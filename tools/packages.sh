#!/bin/sh
# Builds what this Debian release ships into OUT_DIR: the Debian package, and on Debian 13 the page
# (zentolar-<version>.html), its site (zentolar-<version>-site.zip), the Windows installer and the
# portable zip too. Run on the release itself (tools/release.sh and
# tools/check-reproducible.sh run it in a fresh root), after tools/setup.sh (windows on Debian 13).
# Every date comes from SOURCE_DATE_EPOCH, which must be set: the commit's time.
#
#   tools/packages.sh OUT_DIR     built in build/packages/ (the packages and windows-packages presets)
set -eu
[ $# -eq 1 ] || { echo "usage: $0 OUT_DIR" >&2; exit 2; }
cd "$(dirname "$0")/.."
script=packages
# shellcheck source=lib.sh
. tools/lib.sh
out=$1
build=build/packages
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
rm -rf "$build/debian/out"
cmake --workflow --preset packages > "$build/debian.log" || { tail -40 "$build/debian.log"; exit 1; }
cp "$build/debian/out"/zentolar_*.deb "$out/"

# The page and the Windows packages come from Debian 13: the page from its clang, the Windows
# packages with the Qt the windows preset names.
if [ "$(os_release)" = debian-13 ]; then
    cp "$build/debian/page"/zentolar-*.html "$out/"
    # The site as one zip of its folder, in the order of the names, every file dated by the
    # commit: the same bytes from the same commit.
    python3 - "$build/debian/page"/zentolar-*-site "$out" << 'EOF'
import os, sys, time, zipfile
site, out = sys.argv[1:]
folder = os.path.basename(site)
stamp = time.gmtime(int(os.environ["SOURCE_DATE_EPOCH"]))[:6]
with zipfile.ZipFile(os.path.join(out, folder + ".zip"), "w") as archive:
    for name in sorted(os.listdir(site)):
        entry = zipfile.ZipInfo(f"{folder}/{name}", stamp)
        entry.external_attr = 0o644 << 16
        with open(os.path.join(site, name), "rb") as f:
            archive.writestr(entry, f.read(), zipfile.ZIP_DEFLATED, 9)
EOF
    windows_qt=$(cmake -P tools/facts.cmake windows_qt)
    if [ -f "$windows_qt/.complete" ]; then
        rm -rf "$build/windows/out"
        cmake --workflow --preset windows-packages > "$build/windows.log" ||
            { tail -40 "$build/windows.log"; exit 1; }
        cp "$build/windows/out"/zentolar-*-win64.exe "$build/windows/out"/zentolar-*-win64.zip "$out/"
    else
        echo "Qt for Windows is not built (tools/setup.sh windows): no Windows installer or zip"
    fi
fi
ls -l "$out"
