# Fuzz targets of the scanning core (libFuzzer, clang only):
#   fuzz-scanner-probe     the recognisers at every offset, checked against the reference
#   fuzz-scanner-pipeline  scan -> extract -> preview of a whole store
# Seeds: corpus/scanner/, written by scanner-fuzz-seeds with the store builder.
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    get_filename_component(DBXR_SCANNER_FUZZ_ROOT ${CMAKE_CURRENT_LIST_DIR} DIRECTORY)
    set(DBXR_SCANNER_FUZZ_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=all)

    # The core again, with coverage for the fuzzer, whatever the rest of the build uses.
    file(GLOB DBXR_SCANNER_FUZZ_SOURCES ${DBXR_SCANNER_FUZZ_ROOT}/scanner/*.cpp)
    add_library(dbxscanner-fuzz STATIC ${DBXR_SCANNER_FUZZ_SOURCES}
        ${DBXR_SCANNER_FUZZ_ROOT}/tests/support/reference_recognizer.cpp)
    target_include_directories(dbxscanner-fuzz PUBLIC ${DBXR_SCANNER_FUZZ_ROOT}/scanner
        ${DBXR_SCANNER_FUZZ_ROOT}/tests/support ${DBXR_SCANNER_FUZZ_ROOT}/tools)
    target_compile_options(dbxscanner-fuzz PUBLIC -fsanitize=fuzzer-no-link
        ${DBXR_SCANNER_FUZZ_SANITIZERS})

    foreach(target probe pipeline)
        add_executable(fuzz-scanner-${target} ${CMAKE_CURRENT_LIST_DIR}/scanner_${target}_fuzz.cpp)
        target_link_libraries(fuzz-scanner-${target} PRIVATE dbxscanner-fuzz)
        target_link_options(fuzz-scanner-${target} PRIVATE -fsanitize=fuzzer
            ${DBXR_SCANNER_FUZZ_SANITIZERS})
    endforeach()

    add_executable(scanner-fuzz-seeds ${CMAKE_CURRENT_LIST_DIR}/scanner_seeds.cpp)
    target_link_libraries(scanner-fuzz-seeds PRIVATE dbxstorebuilder)
endif()
