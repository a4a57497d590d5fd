# Fuzz targets of the deep recovery (libFuzzer, clang only); needs scanner.cmake first, for
# its instrumented copy of the core:
#   fuzz-deep-chains    displacement, scan with the block index, one row per body, the chains
#                       no record reaches and their extraction, on a whole store
#   fuzz-mail-headers   the reader of a mail's own header
# Seeds: corpus/deep/ and corpus/headers/, written by deep-fuzz-seeds with the store builder.
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    foreach(target deep_chains mail_headers)
        string(REPLACE "_" "-" name ${target})
        add_executable(fuzz-${name} ${CMAKE_CURRENT_LIST_DIR}/${target}_fuzz.cpp)
        target_link_libraries(fuzz-${name} PRIVATE dbxscanner-fuzz)
        target_link_options(fuzz-${name} PRIVATE -fsanitize=fuzzer
            ${DBXR_SCANNER_FUZZ_SANITIZERS})
    endforeach()

    add_executable(deep-fuzz-seeds ${CMAKE_CURRENT_LIST_DIR}/deep_seeds.cpp)
    target_link_libraries(deep-fuzz-seeds PRIVATE dbxstorebuilder)
endif()
