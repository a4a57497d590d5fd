# The decoded preview page of a message (GMime and the markup sanitizer); the sanitizer's
# output is read again and checked against its allowlists.
dbxr_add_fuzzer(NAME mail_preview
                SOURCES mail_preview_fuzz.cpp sanitized_html_check.cpp
                LIBS dbxmailview PkgConfig::GUMBO
                CORPUS mail_preview/corpus)
