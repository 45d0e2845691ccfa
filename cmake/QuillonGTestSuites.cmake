# One CTest entry per GoogleTest suite of a test executable.
#
#   quillon_add_gtest_suites(<target> [ENVIRONMENT <var=value>...] [TIMEOUT <s>])
#
# After each build the executable lists its tests; every suite becomes one
# CTest entry running `<exe> --gtest_filter=<Suite>.*`. A suite's tests share
# one process (a process per test costs more than most tests), suites run in
# parallel under ctest -j.

include_guard(GLOBAL)

# Global: the function is called from other directories than the first includer.
set(_QL_GTEST_SUITES_SCRIPT "${CMAKE_CURRENT_LIST_FILE}" CACHE INTERNAL "")

function(quillon_add_gtest_suites target)
    cmake_parse_arguments(PARSE_ARGV 1 ARG "" "TIMEOUT" "ENVIRONMENT")
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 600)
    endif()
    set(ctest_file "${CMAKE_CURRENT_BINARY_DIR}/${target}_suites.cmake")
    string(REPLACE ";" "\\;" env "${ARG_ENVIRONMENT}")
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND "${CMAKE_COMMAND}"
                -D "QL_EXE=$<TARGET_FILE:${target}>"
                -D "QL_OUT=${ctest_file}"
                -D "QL_PREFIX=${target}"
                -D "QL_TIMEOUT=${ARG_TIMEOUT}"
                -D "QL_ENV=${env}"
                -D "QL_DIR=${CMAKE_CURRENT_BINARY_DIR}"
                -P "${_QL_GTEST_SUITES_SCRIPT}"
        BYPRODUCTS "${ctest_file}"
        VERBATIM)
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${ctest_file}")
endfunction()

# Script mode: list the suites and write the CTest file.
if(CMAKE_SCRIPT_MODE_FILE AND QL_EXE)
    execute_process(COMMAND "${QL_EXE}" --gtest_list_tests
                    OUTPUT_VARIABLE listing RESULT_VARIABLE rc
                    WORKING_DIRECTORY "${QL_DIR}" TIMEOUT 120)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "${QL_EXE} --gtest_list_tests failed (${rc})")
    endif()
    string(REPLACE "\n" ";" lines "${listing}")
    set(text "")
    foreach(line IN LISTS lines)
        # Suite lines start in the first column and end with a dot; a
        # parameterised suite is followed by a comment.
        if(line MATCHES "^([A-Za-z_][A-Za-z0-9_/]*)\\.")
            set(suite "${CMAKE_MATCH_1}")
            string(APPEND text
                "add_test([=[${QL_PREFIX}.${suite}]=] [==[${QL_EXE}]==] --gtest_color=no "
                "[=[--gtest_filter=${suite}.*]=])\n"
                "set_tests_properties([=[${QL_PREFIX}.${suite}]=] PROPERTIES "
                "WORKING_DIRECTORY [==[${QL_DIR}]==] TIMEOUT ${QL_TIMEOUT}")
            if(QL_ENV)
                string(APPEND text " ENVIRONMENT [==[${QL_ENV}]==]")
            endif()
            string(APPEND text ")\n")
        endif()
    endforeach()
    file(WRITE "${QL_OUT}" "${text}")
endif()
