# Run by CPack once it has staged the files and before it packs them: every staged file and folder
# takes the release's date (SOURCE_DATE_EPOCH), so that the installer, the zip and the Debian
# package store no build time. Without SOURCE_DATE_EPOCH the files keep their own dates.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
    return()
endif()
if(NOT IS_DIRECTORY "${CPACK_TEMPORARY_DIRECTORY}")
    message(FATAL_ERROR "package-dates: no staged files in '${CPACK_TEMPORARY_DIRECTORY}'")
endif()
file(GLOB_RECURSE staged LIST_DIRECTORIES true "${CPACK_TEMPORARY_DIRECTORY}/*")
execute_process(COMMAND touch -h -d "@$ENV{SOURCE_DATE_EPOCH}" "${CPACK_TEMPORARY_DIRECTORY}" ${staged}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "package-dates: touch failed (${result})")
endif()
