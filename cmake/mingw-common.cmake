# Shared part of the MinGW-w64 cross toolchains. Include it from a toolchain
# file after setting QL_MINGW_TRIPLE (e.g. x86_64-w64-mingw32) and
# CMAKE_SYSTEM_PROCESSOR.
#
# The "-posix" compiler variants use the winpthreads threading model, which is
# what std::thread / std::mutex need. Everything is linked statically (see the
# top-level CMakeLists.txt) so the produced binaries depend on system DLLs only.

if(NOT QL_MINGW_TRIPLE)
    message(FATAL_ERROR "QL_MINGW_TRIPLE must be set before including mingw-common.cmake")
endif()

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_VERSION 6.1)  # Windows 7 / Server 2008 R2, matches _WIN32_WINNT=0x0601

set(CMAKE_C_COMPILER ${QL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QL_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${QL_MINGW_TRIPLE}-ar CACHE FILEPATH "Archiver")
set(CMAKE_RANLIB ${QL_MINGW_TRIPLE}-ranlib CACHE FILEPATH "Ranlib")
set(CMAKE_OBJDUMP ${QL_MINGW_TRIPLE}-objdump CACHE FILEPATH "objdump")

set(CMAKE_FIND_ROOT_PATH /usr/${QL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
