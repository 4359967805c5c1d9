# Prints the project's facts (cmake/facts.cmake) for the scripts:
#   cmake -P tools/facts.cmake FACT     the value of one: name, version, app_id, icon_sizes
#                                       or site_icon_sizes (blank-separated), max_text_length, cache or windows_qt
#   cmake -P tools/facts.cmake          every one, as shell assignments
cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/../cmake/facts.cmake")

set(facts name version app_id icon_sizes site_icon_sizes max_text_length cache windows_qt)
set(out)
if(CMAKE_ARGC GREATER 3)
    math(EXPR last "${CMAKE_ARGC} - 1")
    foreach(i RANGE 3 ${last})
        set(fact "${CMAKE_ARGV${i}}")
        if(NOT fact IN_LIST facts)
            message(FATAL_ERROR "no fact named '${fact}'; the facts: ${facts}")
        endif()
        string(TOUPPER "ZENTOLAR_${fact}" variable)
        list(JOIN ${variable} " " value)
        string(APPEND out "${value}\n")
    endforeach()
else()
    foreach(fact IN LISTS facts)
        string(TOUPPER "ZENTOLAR_${fact}" variable)
        list(JOIN ${variable} " " value)
        string(REPLACE "'" "'\\''" value "${value}")
        string(APPEND out "${fact}='${value}'\n")
    endforeach()
endif()
# message() writes to standard error; the facts go to standard output.
execute_process(COMMAND "${CMAKE_COMMAND}" -E echo_append "${out}")
