# Build-time code generation: codegen/generate.py turns the data in
# catalogue/ into C++ sources, the type library source and the catalogue
# listing under ${QL_GENERATED_DIR}. quillon_core compiles
# QL_GENERATED_SOURCES and has QL_GENERATED_DIR on its public include path,
# so a generated header is included as "catalogue/<file>.h".

include_guard(GLOBAL)

set(QL_GENERATED_DIR "${CMAKE_BINARY_DIR}/generated")
set(QL_GENERATED_SOURCES "")
file(MAKE_DIRECTORY "${QL_GENERATED_DIR}")

find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(QL_CATALOGUE_DIR "${PROJECT_SOURCE_DIR}/catalogue")
file(GLOB_RECURSE QL_CATALOGUE_FILES CONFIGURE_DEPENDS "${QL_CATALOGUE_DIR}/*.cat")
file(GLOB QL_CODEGEN_SCRIPTS CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/codegen/*.py")

execute_process(
    COMMAND "${Python3_EXECUTABLE}" "${PROJECT_SOURCE_DIR}/codegen/generate.py"
            "${QL_CATALOGUE_DIR}" "${QL_GENERATED_DIR}" --list
    OUTPUT_VARIABLE ql_generated_names
    OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE ql_codegen_result)
if(NOT ql_codegen_result EQUAL 0)
    message(FATAL_ERROR "codegen/generate.py could not read the catalogue")
endif()

set(QL_GENERATED_FILES "")
foreach(name IN LISTS ql_generated_names)
    list(APPEND QL_GENERATED_FILES "${QL_GENERATED_DIR}/${name}")
endforeach()

# The generator rewrites only files whose text changed, so a change to the
# catalogue recompiles only what it touches (Ninja restats the outputs).
add_custom_command(
    OUTPUT ${QL_GENERATED_FILES}
    COMMAND "${Python3_EXECUTABLE}" "${PROJECT_SOURCE_DIR}/codegen/generate.py"
            "${QL_CATALOGUE_DIR}" "${QL_GENERATED_DIR}"
    DEPENDS ${QL_CATALOGUE_FILES} ${QL_CODEGEN_SCRIPTS}
    COMMENT "Generating interfaces, records and proxies from the catalogue"
    VERBATIM)

set(QL_GENERATED_TEST_SOURCES "")
set(QL_GENERATED_FUZZ_SOURCES "")
# The record codec directions only the vault server (tools/vault-server) needs.
set(QL_GENERATED_SERVER_SOURCES "")
foreach(file IN LISTS QL_GENERATED_FILES)
    if(file MATCHES "/server/")
        list(APPEND QL_GENERATED_SERVER_SOURCES "${file}")
    elseif(file MATCHES "/tests/")
        list(APPEND QL_GENERATED_TEST_SOURCES "${file}")
    elseif(file MATCHES "/fuzz/")
        list(APPEND QL_GENERATED_FUZZ_SOURCES "${file}")
    elseif(file MATCHES "\\.(cpp|h|inc)$")
        list(APPEND QL_GENERATED_SOURCES "${file}")
    endif()
endforeach()
# Targets in other directories that compile generated files depend on this.
add_custom_target(quillon_codegen DEPENDS ${QL_GENERATED_FILES})
set(QL_GENERATED_IDL "${QL_GENERATED_DIR}/catalogue/quillon.idl")
set(QL_GENERATED_LISTING "${QL_GENERATED_DIR}/catalogue/catalogue.json")

# Extra compile options for generated sources (e.g. "-O0" in the sanitizer
# builds: the generated proxies and tests are long straight-line code that
# takes most of the build time to optimise, and is no better tested for it).
set(QL_GENERATED_SOURCE_FLAGS "" CACHE STRING
    "Extra compile options (a list) for generated C++ sources")

# Marks <sources> as generated and gives them QL_GENERATED_SOURCE_FLAGS.
# Source properties are per directory, so each directory that compiles
# generated files calls this itself.
function(quillon_generated_sources)
    set(cpp ${ARGN})
    set_source_files_properties(${cpp} PROPERTIES GENERATED TRUE)
    list(FILTER cpp INCLUDE REGEX "\\.cpp$")
    if(cpp AND QL_GENERATED_SOURCE_FLAGS)
        # A precompiled header made with the target's own flags would not match.
        set_source_files_properties(${cpp} PROPERTIES COMPILE_OPTIONS "${QL_GENERATED_SOURCE_FLAGS}"
                                                      SKIP_PRECOMPILE_HEADERS ON)
    endif()
endfunction()
