#!/bin/sh
# Installs the build under a temporary prefix and checks that every file lands in its usual place.
# Usage: check_install.sh BUILD_DIR APP_ID ICON_SIZES
set -eu
build=$1
app_id=$2
sizes=$3
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" > /dev/null

failed=0
# shellcheck source=installed_files.sh
. "$(dirname "$0")/installed_files.sh"
for file in $(installed_files "$app_id" "$sizes"); do
    [ -s "$prefix/$file" ] || { echo "not installed: $file"; failed=1; }
done
[ -x "$prefix/bin/zentolar" ] || { echo "bin/zentolar is not executable"; failed=1; }

# Each PNG has the size its folder names.
for png in "$prefix"/share/icons/hicolor/*x*/apps/*.png; do
    size=$(basename "$(dirname "$(dirname "$png")")")
    file "$png" | grep -q "$(echo "$size" | sed 's/x/ x /')" || { echo "wrong size: $png"; failed=1; }
done
exit "$failed"
