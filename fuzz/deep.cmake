# Fuzz targets of the deep recovery:
#   deep_chains   displacement, the scan with the block index, one row per body, the chains no
#                 record reaches and their extraction, on a whole store
#   mail_headers  the reader of a mail's own header
# Seeds: deep/corpus/ and headers/corpus/, written by deep-fuzz-seeds with the store builder.
dbxr_add_fuzzer(NAME deep_chains
                SOURCES deep_chains_fuzz.cpp
                LIBS dbxtestsupport
                CORPUS deep/corpus)
dbxr_add_fuzzer(NAME mail_headers
                SOURCES mail_headers_fuzz.cpp
                LIBS dbxscanner
                CORPUS headers/corpus)

add_executable(deep-fuzz-seeds deep_seeds.cpp)
target_link_libraries(deep-fuzz-seeds PRIVATE dbxstorebuilder)
