# Cross toolchain: 32-bit Windows via MinGW-w64 (posix thread model).
# No emulator: 32-bit code cannot run on the build machines, so no tests are
# registered for this toolchain (binaries are built and inspected only).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(QL_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
