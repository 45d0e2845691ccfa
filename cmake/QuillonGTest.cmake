# Provides GTest::gtest, GTest::gmock and GTest::gtest_main.
#
# Native builds use the system package (find_package(GTest)). Cross builds
# (and native builds with QL_GTEST_FROM_SOURCE=ON) compile GoogleTest from
# QL_GTEST_SOURCE_DIR into the build tree as static libraries.

include_guard(GLOBAL)

set(QL_GTEST_SOURCE_DIR "/usr/src/googletest" CACHE PATH "GoogleTest source tree used for cross builds")
if(CMAKE_CROSSCOMPILING)
    set(_ql_gtest_from_source_default ON)
else()
    set(_ql_gtest_from_source_default OFF)
endif()
option(QL_GTEST_FROM_SOURCE "Build GoogleTest from QL_GTEST_SOURCE_DIR" ${_ql_gtest_from_source_default})

if(QL_GTEST_FROM_SOURCE)
    if(NOT EXISTS "${QL_GTEST_SOURCE_DIR}/CMakeLists.txt")
        message(FATAL_ERROR "GoogleTest sources not found in ${QL_GTEST_SOURCE_DIR} "
                            "(install the 'googletest' package: scripts/install-deps.sh)")
    endif()
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    # GoogleTest must be static: the test executables then need no extra DLLs.
    set(_ql_saved_shared "${BUILD_SHARED_LIBS}")
    set(BUILD_SHARED_LIBS OFF)
    add_subdirectory("${QL_GTEST_SOURCE_DIR}" "${CMAKE_BINARY_DIR}/_deps/googletest" EXCLUDE_FROM_ALL)
    set(BUILD_SHARED_LIBS "${_ql_saved_shared}")
    foreach(lib gtest gtest_main gmock gmock_main)
        if(TARGET ${lib} AND NOT TARGET GTest::${lib})
            add_library(GTest::${lib} ALIAS ${lib})
        endif()
    endforeach()
else()
    find_package(GTest REQUIRED)
    if(NOT TARGET GTest::gmock)
        message(FATAL_ERROR "GoogleMock not found (install libgmock-dev: scripts/install-deps.sh)")
    endif()
endif()
