# Build-time code generation hook (placeholder).
#
# A Python generator under codegen/ will turn the data in catalogue/ into C++
# sources. Its rules belong in this file:
#   * add_custom_command(OUTPUT ${QL_GENERATED_DIR}/<component>/<file>
#                        COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/codegen/...
#                        DEPENDS <generator scripts> <catalogue files>)
#   * list(APPEND QL_GENERATED_SOURCES <every generated .cpp and .h>)
# quillon_core compiles QL_GENERATED_SOURCES and has QL_GENERATED_DIR on its
# public include path, so a generated header is included exactly like a
# hand-written one: #include "<component>/<file>.h".
#
# Until codegen/ exists this module only defines the two variables.

include_guard(GLOBAL)

set(QL_GENERATED_DIR "${CMAKE_BINARY_DIR}/generated")
set(QL_GENERATED_SOURCES "")
file(MAKE_DIRECTORY "${QL_GENERATED_DIR}")

if(EXISTS "${PROJECT_SOURCE_DIR}/codegen")
    find_package(Python3 REQUIRED COMPONENTS Interpreter)
    # Generation rules go here once the generator exists.
endif()
