# The decoded preview page of a message (GMime and the markup sanitizer).
dbxr_add_fuzzer(NAME mail_preview
                SOURCES mail_preview_fuzz.cpp
                LIBS dbxmailview
                CORPUS mail_preview/corpus)
