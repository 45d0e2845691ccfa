# Cross toolchain: 64-bit Windows via MinGW-w64 (posix thread model).
# Tests run under Wine through scripts/wine-run.sh.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QL_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

get_filename_component(_ql_wine_runner "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh" ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "${_ql_wine_runner}")
unset(_ql_wine_runner)
