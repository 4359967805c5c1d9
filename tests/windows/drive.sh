# Driving the Windows program under Wine as a user would, with xdotool and xclip.
# Sourced by the black-box tests with ZENTOLAR_WINE_STATE set: starts the shared display and
# Wine prefix (wine.sh), exporting DISPLAY and WINEPREFIX, and gives the helpers of
# tests/support/desktop.sh.

# The program's name, its windows' title, from CMake.
: "${ZENTOLAR_NAME:?the test sets ZENTOLAR_NAME}"

ZENTOLAR_WINE_SOURCED=1 . "$(dirname "$0")/wine.sh"
wine_start
