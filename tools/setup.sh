#!/bin/sh
# Installs what building and testing Zentolar needs on Debian or Ubuntu; does nothing when all is there.
set -eu

# fonts-freefont-ttf draws the control pictures the fields show for control codes; the second
# line checks the Windows resources, the desktop files and the Debian package, and fuzzes.
packages="cmake ninja-build g++ qt6-base-dev qt6-translations-l10n libgl-dev libbenchmark-dev fonts-freefont-ttf
    binutils-mingw-w64-x86-64 desktop-file-utils appstream dpkg-dev file clang libclang-rt-dev"

missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

echo "Instalando:$missing"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing
