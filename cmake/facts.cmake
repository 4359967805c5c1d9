# The project's facts, in one place. The build writes them into config-zentolar.h for the code and
# into the desktop entry, the metainfo and the Windows resources; scripts read them with
# `cmake -P tools/facts.cmake`.
set(ZENTOLAR_NAME Zentolar)
set(ZENTOLAR_VERSION 1.00)
set(ZENTOLAR_DESCRIPTION "Codifica y descodifica textos con una clave")
# The desktop's name for the program: desktop entry, metainfo and icon files.
set(ZENTOLAR_APP_ID org.zentolar.Zentolar)
# The rendered sizes of resources/zentolar.svg (tools/make-icons.sh).
set(ZENTOLAR_ICON_SIZES 16 24 32 48 64 128 256)
# The site's icons (the page at an address, added to a home screen): each size as the program's
# icon and as a full square whose mark stays inside the circle a phone may cut out of it.
set(ZENTOLAR_SITE_ICON_SIZES 192 512)
# The page's background in the light and the dark scheme, which a phone also gives the title bar
# and the opening screen of the page added to its home screen.
set(ZENTOLAR_PAGE_BACKGROUND_LIGHT "#f4f4f2")
set(ZENTOLAR_PAGE_BACKGROUND_DARK "#1c1c1e")
# The longest text under a key: the cipher counts characters in 16 bits, and the metainfo tells
# users the limit.
set(ZENTOLAR_MAX_TEXT_LENGTH 32766)

# Where the set-up keeps what it makes once per machine, outside any checkout: Qt for Windows and
# the fresh Debian roots. ZENTOLAR_CACHE, in the environment or as a CMake variable, moves it.
if(NOT ZENTOLAR_CACHE)
    if(DEFINED ENV{ZENTOLAR_CACHE} AND NOT "$ENV{ZENTOLAR_CACHE}" STREQUAL "")
        set(ZENTOLAR_CACHE "$ENV{ZENTOLAR_CACHE}")
    else()
        set(ZENTOLAR_CACHE /var/cache/zentolar)
    endif()
endif()
# Qt for Windows as tools/windows-qt.sh installs it, for the windows presets.
set(ZENTOLAR_WINDOWS_QT "${ZENTOLAR_CACHE}/windows/qt")
