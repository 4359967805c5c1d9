# Run by CPack once it has made the packages. Two things CPack takes from the file system, which
# differ between file systems and machines, are made again so that the same source makes the same
# bytes anywhere:
# - a zip lists its entries in the order the file system returns them: it is written again with
#   them sorted;
# - a Debian package's Installed-Size adds up the staged folders' sizes on disk: the package is
#   built again by dpkg-deb with the size worked out as dpkg-gencontrol does (each file in KiB,
#   rounded up, and one for each folder or link).
# The files keep the dates the staging gave them (cmake/package-staged.cmake).
function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT result EQUAL 0)
        list(JOIN ARGN " " command)
        message(FATAL_ERROR "package-made: ${command} failed (${result}):\n${output}")
    endif()
endfunction()

foreach(package IN LISTS CPACK_PACKAGE_FILES)
    if(package MATCHES "\\.zip$")
        get_filename_component(parent "${CPACK_TEMPORARY_DIRECTORY}" DIRECTORY)
        get_filename_component(top "${CPACK_TEMPORARY_DIRECTORY}" NAME)
        file(GLOB_RECURSE entries RELATIVE "${parent}" "${CPACK_TEMPORARY_DIRECTORY}/*")
        list(SORT entries)
        file(REMOVE "${package}")
        run("${CMAKE_COMMAND}" -E chdir "${parent}" "${CMAKE_COMMAND}" -E tar cf "${package}"
            --format=zip ${entries})
    elseif(package MATCHES "\\.deb$")
        set(tree "${CPACK_TOPLEVEL_DIRECTORY}/deb-again")
        file(REMOVE_RECURSE "${tree}")
        run(dpkg-deb -R "${package}" "${tree}")
        file(GLOB_RECURSE files LIST_DIRECTORIES true RELATIVE "${tree}" "${tree}/*")
        set(kib 0)
        foreach(path IN LISTS files)
            if(path MATCHES "^DEBIAN(/|$)")
                continue()
            endif()
            if(IS_SYMLINK "${tree}/${path}" OR IS_DIRECTORY "${tree}/${path}")
                math(EXPR kib "${kib} + 1")
            else()
                file(SIZE "${tree}/${path}" bytes)
                math(EXPR kib "${kib} + (${bytes} + 1023) / 1024")
            endif()
        endforeach()
        file(READ "${tree}/DEBIAN/control" control)
        string(REGEX REPLACE "\nInstalled-Size: [0-9]+\n" "\nInstalled-Size: ${kib}\n" control "${control}")
        file(WRITE "${tree}/DEBIAN/control" "${control}")
        file(REMOVE "${package}")
        run(dpkg-deb --root-owner-group --build "${tree}" "${package}")
        file(REMOVE_RECURSE "${tree}")
    endif()
endforeach()
