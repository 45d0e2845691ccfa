# Source collection helpers.
#
# Platform filtering by file name (the stem, i.e. without the extension):
#   *_win.cpp,   *_win_test.cpp     compiled for Windows targets only
#   *_posix.cpp, *_posix_test.cpp   compiled for non-Windows targets only
# e.g. src/transport/socket_win.cpp, tests/unit/com_registry_win_test.cpp.

include_guard(GLOBAL)

# quillon_filter_platform_sources(<out-var> <file>...)
function(quillon_filter_platform_sources out_var)
    set(result)
    foreach(file IN LISTS ARGN)
        get_filename_component(stem "${file}" NAME_WLE)
        if(stem MATCHES "_win(_test)?$" AND NOT WIN32)
            continue()
        endif()
        if(stem MATCHES "_posix(_test)?$" AND WIN32)
            continue()
        endif()
        list(APPEND result "${file}")
    endforeach()
    set(${out_var} "${result}" PARENT_SCOPE)
endfunction()

# quillon_glob_sources(<out-var> [RECURSE] PATTERNS <glob>... [EXCLUDE_REGEX <regex>])
# Globs (re-evaluated at build time via CONFIGURE_DEPENDS), sorts, applies the
# platform filter and an optional exclusion regex on the full path.
function(quillon_glob_sources out_var)
    cmake_parse_arguments(arg "RECURSE" "EXCLUDE_REGEX" "PATTERNS" ${ARGN})
    if(arg_RECURSE)
        file(GLOB_RECURSE files CONFIGURE_DEPENDS ${arg_PATTERNS})
    else()
        file(GLOB files CONFIGURE_DEPENDS ${arg_PATTERNS})
    endif()
    if(arg_EXCLUDE_REGEX)
        list(FILTER files EXCLUDE REGEX "${arg_EXCLUDE_REGEX}")
    endif()
    list(SORT files)
    quillon_filter_platform_sources(files ${files})
    set(${out_var} "${files}" PARENT_SCOPE)
endfunction()

# quillon_ensure_sources(<target-name> <list-var>)
# A library target needs at least one source file. While a component is still
# empty, add a generated placeholder translation unit so the target exists.
function(quillon_ensure_sources target_name list_var)
    set(files "${${list_var}}")
    list(FILTER files INCLUDE REGEX "\\.(c|cc|cpp|cxx)$")
    if(NOT files)
        set(placeholder "${CMAKE_BINARY_DIR}/placeholders/${target_name}_placeholder.cpp")
        if(NOT EXISTS "${placeholder}")
            file(WRITE "${placeholder}"
                 "// Generated: ${target_name} has no sources yet.\n"
                 "namespace quillon_placeholder { int ${target_name}_placeholder = 0; }\n")
        endif()
        set(${list_var} "${${list_var}};${placeholder}" PARENT_SCOPE)
    endif()
endfunction()
