# Run by CPack once it has staged the files and before it packs them. Packages of the same source
# must have the same bytes, wherever and whenever they are made:
# - every staged file and folder takes the release's date (SOURCE_DATE_EPOCH, where it is set), so
#   that no package stores a build time;
# - the installer lists its files itself, sorted: NSIS's "File /r" would take them in the order the
#   file system returns them, which differs between file systems and machines.
if(NOT IS_DIRECTORY "${CPACK_TEMPORARY_DIRECTORY}")
    message(FATAL_ERROR "package-staged: no staged files in '${CPACK_TEMPORARY_DIRECTORY}'")
endif()
file(GLOB_RECURSE staged LIST_DIRECTORIES true RELATIVE "${CPACK_TEMPORARY_DIRECTORY}"
     "${CPACK_TEMPORARY_DIRECTORY}/*")
list(SORT staged)

if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(paths "${CPACK_TEMPORARY_DIRECTORY}")
    foreach(path IN LISTS staged)
        list(APPEND paths "${CPACK_TEMPORARY_DIRECTORY}/${path}")
    endforeach()
    execute_process(COMMAND touch -h -d "@$ENV{SOURCE_DATE_EPOCH}" ${paths} RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "package-staged: touch failed (${result})")
    endif()
endif()

if(CPACK_GENERATOR STREQUAL "NSIS")
    # resources/installer/NSIS.template.in includes these.
    set(install "")
    set(remove "")
    set(folders "")
    foreach(path IN LISTS staged)
        string(REPLACE "/" "\\" windows_path "${path}")
        if(IS_DIRECTORY "${CPACK_TEMPORARY_DIRECTORY}/${path}")
            list(APPEND folders "${windows_path}")
            string(APPEND install "  CreateDirectory \"$INSTDIR\\${windows_path}\"\n")
        else()
            get_filename_component(folder "${windows_path}" DIRECTORY)
            if(folder)
                set(folder "\\${folder}")
            endif()
            string(APPEND install "  SetOutPath \"$INSTDIR${folder}\"\n"
                                  "  File \"${CPACK_TEMPORARY_DIRECTORY}/${path}\"\n")
            string(APPEND remove "  Delete \"$INSTDIR\\${windows_path}\"\n")
        endif()
    endforeach()
    string(APPEND install "  SetOutPath \"$INSTDIR\"\n")
    list(REVERSE folders) # the deepest first
    foreach(folder IN LISTS folders)
        string(APPEND remove "  RMDir \"$INSTDIR\\${folder}\"\n")
    endforeach()
    file(WRITE "${CPACK_TOPLEVEL_DIRECTORY}/install-files.nsh" "${install}")
    file(WRITE "${CPACK_TOPLEVEL_DIRECTORY}/remove-files.nsh" "${remove}")
endif()
