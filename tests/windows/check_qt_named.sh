#!/bin/sh
# The Qt that the Windows program carries is named, with its exact version, in every file given.
# Usage: check_qt_named.sh QT_VERSION FILE...
set -eu
version=$1
shift
pattern="Qt $(printf '%s' "$version" | sed 's/\./\\./g')([^0-9.]|\.[^0-9]|$)"
failed=0
for file in "$@"; do
    grep -Eq "$pattern" "$file" || { echo "$file does not name Qt $version"; failed=1; }
done
exit "$failed"
