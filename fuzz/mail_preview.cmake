# fuzz_mail_preview: the decoded preview of a message, built from its sources with the fuzzer's
# instrumentation (clang only).
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang" AND DBXR_WITH_QT)
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(GMIME REQUIRED IMPORTED_TARGET gmime-3.0)
    set(DBXR_MAILVIEW_DIR ${PROJECT_SOURCE_DIR}/mailview)
    add_executable(fuzz_mail_preview
        ${CMAKE_CURRENT_LIST_DIR}/mail_preview_fuzz.cpp
        ${DBXR_MAILVIEW_DIR}/html_sanitizer.cpp
        ${DBXR_MAILVIEW_DIR}/html_text.cpp
        ${DBXR_MAILVIEW_DIR}/mail_page.cpp
        ${DBXR_MAILVIEW_DIR}/mail_view.cpp
        ${DBXR_MAILVIEW_DIR}/mime_mail.cpp
        ${DBXR_MAILVIEW_DIR}/text_decoding.cpp
    )
    target_include_directories(fuzz_mail_preview PRIVATE ${DBXR_MAILVIEW_DIR})
    target_compile_definitions(fuzz_mail_preview PRIVATE QT_NO_KEYWORDS)
    target_compile_options(fuzz_mail_preview PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(fuzz_mail_preview PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(fuzz_mail_preview PRIVATE Qt6::Core PkgConfig::GMIME)
endif()
