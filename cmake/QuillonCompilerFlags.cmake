# Compiler settings shared by every first-party target.
#
#   quillon_target_defaults(<target>)  warnings-as-errors, platform defines.
#
# Global (all targets, including third-party code built in-tree):
#   QL_SANITIZE   comma separated -fsanitize= list (e.g. "address,undefined"
#                 or "thread"); empty disables sanitizers.
#   QL_BUILD_FUZZERS  when ON, the library (quillon_core) is additionally
#                 compiled with -fsanitize=fuzzer-no-link so libFuzzer gets
#                 coverage feedback from the library code; the fuzz targets
#                 themselves use -fsanitize=fuzzer. Tests and GoogleTest are
#                 not instrumented.

include_guard(GLOBAL)

set(QL_SANITIZE "" CACHE STRING "Sanitizers to enable (-fsanitize= value), empty for none")

if(QL_SANITIZE)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang|GNU")
        message(FATAL_ERROR "QL_SANITIZE requires clang or gcc")
    endif()
    if(WIN32)
        message(FATAL_ERROR "QL_SANITIZE is not supported for Windows targets")
    endif()
    message(STATUS "Quillon: sanitizers enabled: ${QL_SANITIZE}")
    add_compile_options(-fsanitize=${QL_SANITIZE} -fno-sanitize-recover=all
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=${QL_SANITIZE})
endif()

if(QL_BUILD_FUZZERS)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "QL_BUILD_FUZZERS requires clang (libFuzzer)")
    endif()
endif()

function(quillon_target_defaults target)
    target_compile_features(${target} PUBLIC cxx_std_20)
    if(CMAKE_CXX_COMPILER_ID MATCHES "Clang|GNU")
        target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -Wno-unknown-pragmas)
    endif()
    if(WIN32)
        target_compile_definitions(${target} PUBLIC
            WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601 UNICODE _UNICODE)
    endif()
endfunction()
