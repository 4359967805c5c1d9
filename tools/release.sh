#!/bin/sh
# Makes a release of the commit checked out, from a clean copy of it (git archive), into dist/:
#
#   zentolar-<version>.tar.gz            the source
#   zentolar-<version>.html              the page that encodes and decodes in a browser, offline
#   zentolar-<version>-site/ and .zip    the page as a site for a web host: installable, offline
#   zentolar-<version>-win64.exe / .zip  the Windows installer and portable program
#   zentolar_<version>+deb12_<arch>.deb  the Debian 12 package, built on Debian 12
#   zentolar_<version>+deb13_<arch>.deb  the Debian 13 package, built on Debian 13
#   SHA256SUMS
#
# The same commit gives the same bytes, wherever and whenever this runs: every date is the
# commit's (SOURCE_DATE_EPOCH) and everything is built in fresh Debian roots
# (tools/debian-root.sh, so this needs root) at the same paths. Before it writes anything it
# checks that the tree is committed and runs every test there: the test command on Debian 12 and
# Debian 13, and the Windows tests. Then each Debian package is installed on a clean root of its
# own release, started to its key prompt and removed.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

script=release
# shellcheck source=lib.sh
. tools/lib.sh
trap 'stopped $?' EXIT
steps=7
n=0
begin() {
    n=$((n + 1))
    step="$n/$steps, $1"
    echo
    echo "[$n/$steps] $1 ($(date +%H:%M:%S))"
}
root() { # RELEASE COMMAND
    sh tools/debian-root.sh "$1" --commit "$commit" "$2"
}

begin "check that the tree is committed"
[ -z "$(git status --porcelain)" ] ||
    fail "the tree has changes that are not committed:
$(git status --short | head -20)"
commit=$(git rev-parse HEAD)
name=$(cmake -P tools/facts.cmake name) || fail "cmake could not read cmake/facts.cmake"
version=$(cmake -P tools/facts.cmake version)
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct "$commit")
export SOURCE_DATE_EPOCH
echo "$name $version, commit $commit, dated $(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S') UTC"

# The README's test command, and where each root's packages are built.
tests="sh tools/setup.sh && cmake --workflow --preset debug"
out=build/release-$version
stage="$top/build/release-stage"
rm -rf "$stage" "build/debian12/release-$version" "build/debian13/release-$version"
mkdir -p "$stage"

begin "Debian 13: every test, the Windows tests, then the Debian 13 package, the page, its site, the installer and the zip"
root 13 "$tests && sh tools/windows.sh test && sh tools/packages.sh $out" ||
    fail "see the output above"

begin "Debian 12: every test, then the Debian 12 package"
root 12 "$tests && sh tools/packages.sh $out" || fail "see the output above"

begin "the source archive"
git archive --format=tar --prefix="zentolar-$version/" "$commit" | gzip -9n > "$stage/zentolar-$version.tar.gz"

begin "install, start and remove each Debian package on a clean root of its release"
for release in 12 13; do
    deb=$(ls "build/debian$release/release-$version"/zentolar_*+deb"$release"_*.deb 2> /dev/null) ||
        fail "no package for Debian $release"
    root "$release" "sh tests/check_deb_install.sh build/release-$version/$(basename "$deb") $name" ||
        fail "the Debian $release package did not install, start and remove cleanly"
    cp "$deb" "$stage/"
done

begin "collect the files"
cp "build/debian13/release-$version/zentolar-$version-win64.exe" \
    "build/debian13/release-$version/zentolar-$version-win64.zip" \
    "build/debian13/release-$version/zentolar-$version.html" \
    "build/debian13/release-$version/zentolar-$version-site.zip" "$stage/"
set -- "$stage"/*
[ $# -eq 7 ] || fail "expected seven files, found: $*"
# In byte order of the names, whatever the locale; the site's folder, beside its zip, is the zip's.
(cd "$stage" && LC_ALL=C && export LC_ALL && sha256sum -- * > SHA256SUMS &&
    python3 -m zipfile -e "zentolar-$version-site.zip" .)

begin "write dist/"
rm -rf dist
mv "$stage" dist
(cd dist && ls -l && cat SHA256SUMS)
