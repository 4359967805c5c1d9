#!/bin/sh
# Builds the Debian package, unpacks it and checks its layout and its dependencies.
# Usage: check_package.sh BUILD_DIR APP_ID ICON_SIZES VERSION
set -eu
build=$1
app_id=$2
sizes=$3
version=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work" > "$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/*.deb)
dpkg-deb -x "$deb" "$work/root"

failed=0
# shellcheck source=installed_files.sh
. "$(dirname "$0")/installed_files.sh"
for file in $(installed_files "$app_id" "$sizes"); do
    [ -s "$work/root/usr/$file" ] || { echo "not in the package: usr/$file"; failed=1; }
done
# Nothing outside /usr.
outside=$(cd "$work/root" && find . -mindepth 1 -maxdepth 1 ! -name usr)
[ -z "$outside" ] || { echo "outside /usr: $outside"; failed=1; }

[ "$(dpkg-deb -f "$deb" Package)" = zentolar ] || { echo "package name"; failed=1; }
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || { echo "version: $(dpkg-deb -f "$deb" Version)"; failed=1; }
depends=$(dpkg-deb -f "$deb" Depends)
# Debian 13's 64-bit time transition renamed libqt6core6 to libqt6core6t64.
for needed in libqt6core6 libqt6gui6 libqt6widgets6; do
    echo "$depends" | grep -Eq "(^|[ ,])${needed}(t64)?( |,|$)" ||
        { echo "missing dependency $needed in: $depends"; failed=1; }
done
exit "$failed"
