# The files an installation puts under its prefix, for the install and package checks.
# Usage (sourced): installed_files APP_ID ICON_SIZES (comma-separated, from CMake)
installed_files() {
    echo bin/zentolar
    echo "share/applications/$1.desktop"
    echo "share/metainfo/$1.metainfo.xml"
    echo "share/icons/hicolor/scalable/apps/$1.svg"
    echo share/doc/zentolar/copyright
    for size in $(echo "$2" | tr ',' ' '); do
        echo "share/icons/hicolor/${size}x${size}/apps/$1.png"
    done
}
