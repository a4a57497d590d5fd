# Fuzz targets of the scanning core:
#   scanner_probe     the recognisers at every offset, checked against the reference
#   scanner_pipeline  scan -> extract -> preview of a whole store
# Seeds: scanner/corpus/, written by scanner-fuzz-seeds with the store builder.
dbxr_add_fuzzer(NAME scanner_probe
                SOURCES scanner_probe_fuzz.cpp
                LIBS dbxtestsupport
                CORPUS scanner/corpus)
dbxr_add_fuzzer(NAME scanner_pipeline
                SOURCES scanner_pipeline_fuzz.cpp
                LIBS dbxtestsupport
                CORPUS scanner/corpus)

add_executable(scanner-fuzz-seeds scanner_seeds.cpp)
target_link_libraries(scanner-fuzz-seeds PRIVATE dbxstorebuilder)
