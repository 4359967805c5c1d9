# The files an installation puts under its prefix, for the install and package checks.
# Usage (sourced): installed_files APP_ID
installed_files() {
    echo bin/zentolar
    echo "share/applications/$1.desktop"
    echo "share/metainfo/$1.metainfo.xml"
    echo "share/icons/hicolor/scalable/apps/$1.svg"
    echo share/doc/zentolar/copyright
    for size in 16 24 32 48 64 128 256; do
        echo "share/icons/hicolor/${size}x${size}/apps/$1.png"
    done
}
