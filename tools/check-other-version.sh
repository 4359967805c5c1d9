#!/bin/sh
# Builds a copy of the project whose facts (cmake/facts.cmake) name another version and runs the
# suite on it (the real browsers, mail and chat, and the long random runs aside, which hold no
# version): no test, script or resource may hold a copy of the version of its own.
# Usage: tools/check-other-version.sh [VERSION]
set -eu
cd "$(dirname "$0")/.."
wanted=${1:-9.87}
copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT

git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$copy"
# A later set() wins.
echo "set(ZENTOLAR_VERSION $wanted)" >> "$copy/cmake/facts.cmake"
version=$(cmake -P "$copy/tools/facts.cmake" version)
[ "$version" = "$wanted" ] || { echo "the copy's facts name version $version"; exit 1; }
echo "Version $version:"
cmake -S "$copy" -B "$copy/build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZENTOLAR_BUILD_BENCH=OFF > "$copy/configure.log" 2>&1 ||
    { cat "$copy/configure.log"; exit 1; }
cmake --build "$copy/build" > "$copy/build.log" || { tail -40 "$copy/build.log"; exit 1; }
# The real browsers, mail and chat carry texts, not the version, and take minutes: left out.
ctest --test-dir "$copy/build" --output-on-failure -j2 --label-exclude '^(browser|roads|long)$'
