#!/bin/sh
# Builds the packages twice, in two folders at two times, and compares them byte for byte:
#   tools/check-reproducible.sh          in a fresh Debian 13 root (needs root), from this commit
#   tools/check-reproducible.sh --here   on this system, which must be Debian 13 after
#                                        `tools/setup.sh windows` (CI runs it so in its root)
# The first build uses the checkout's own package build folder, warm where a release or an earlier
# check built it; the second a copy of the sources in another folder (under TMPDIR), built from
# nothing. The Windows installer and zip are compared where Qt for Windows is built. Prints the
# first difference found in each file that differs.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

if [ "${1:-}" != --here ]; then
    SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
    export SOURCE_DATE_EPOCH
    exec sh tools/debian-root.sh 13 --commit HEAD "sh tools/setup.sh windows && sh tools/check-reproducible.sh --here"
fi
: "${SOURCE_DATE_EPOCH:?set SOURCE_DATE_EPOCH to the commit time}"

# Kept when something differs, for a closer look.
work="$top/build/reproducible"
rm -rf "$work"
mkdir -p "$work"
echo "Build 1 in $top ($(date +%H:%M:%S))"
sh tools/packages.sh "$work/first" > "$work/first.log" 2>&1 || { tail -30 "$work/first.log"; exit 1; }

# Another folder, at another depth, on the temporary file system where that is another one (a
# fresh root's /tmp is), and at a later time.
elsewhere=$(mktemp -d)
trap 'rm -rf "$elsewhere"' EXIT
copy="$elsewhere/elsewhere/zentolar-copy"
mkdir -p "$copy"
tar -c --exclude=./build --exclude=./dist . | tar -x -C "$copy"
sleep 2
echo "Build 2 in $copy ($(date +%H:%M:%S))"
# Compiled again, not taken from ccache, which would hand the second build the first one's objects.
(cd "$copy" && CCACHE_DISABLE=1 sh tools/packages.sh "$work/second") > "$work/second.log" 2>&1 ||
    { tail -30 "$work/second.log"; exit 1; }

# The first difference in two files, named by what holds it where the format is known.
first_difference() {
    if command -v diffoscope > /dev/null; then
        diffoscope --text - "$1" "$2" | head -40
        return
    fi
    case $1 in
    *.deb)
        for part in "dpkg-deb -I" "dpkg-deb -c"; do
            $part "$1" > "$work/a.txt"
            $part "$2" > "$work/b.txt"
            diff "$work/a.txt" "$work/b.txt" | head -10 || true
        done
        ;;
    *.zip)
        unzip -Zl "$1" > "$work/a.txt"
        unzip -Zl "$2" > "$work/b.txt"
        diff "$work/a.txt" "$work/b.txt" | head -10 || true
        ;;
    esac
    cmp "$1" "$2" | head -1 || true
}

different=0
count=0
for file in "$work/first"/*; do
    name=$(basename "$file")
    count=$((count + 1))
    if [ ! -f "$work/second/$name" ]; then
        echo "DIFFERENT: $name was made only once"
        different=1
    elif cmp -s "$file" "$work/second/$name"; then
        echo "same bytes: $name ($(stat -c %s "$file") bytes, sha256 $(sha256sum < "$file" | cut -c1-16)…)"
    else
        echo "DIFFERENT: $name"
        first_difference "$file" "$work/second/$name"
        different=1
    fi
done
[ "$count" -gt 0 ] || { echo "nothing was built"; exit 1; }
if [ "$different" -ne 0 ]; then
    echo "Both builds are kept in $work"
    exit 1
fi
rm -rf "$work"
