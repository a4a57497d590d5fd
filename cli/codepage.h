#pragma once

#include <iconv.h>

#include <array>
#include <memory>
#include <string>
#include <string_view>

namespace dbx::cli {

// Decodes the single-byte texts of a store (bytes in the code page of the machine that wrote
// them) to UTF-8 for display. Bytes the code page does not define become U+FFFD.
class CodePageDecoder {
  public:
    // Accepts iconv names ("windows-1252", "CP1251", "ISO-8859-2") and bare numbers ("1250").
    // Returns null when the code page is unknown.
    static std::unique_ptr<CodePageDecoder> Open(std::string name);
    ~CodePageDecoder();
    CodePageDecoder(const CodePageDecoder&) = delete;
    CodePageDecoder& operator=(const CodePageDecoder&) = delete;

    std::string Decode(std::string_view bytes);
    // The same into `out`, reusing its storage.
    void DecodeInto(std::string_view bytes, std::string& out);

  private:
    explicit CodePageDecoder(iconv_t cd);
    std::string DecodeWithIconv(std::string_view bytes);

    iconv_t cd_;
    // For single-byte code pages (all of those a store is written in), the UTF-8 text of each
    // byte: decoding is then a table look-up per byte.
    std::array<std::string, 256> table_;
    bool singleByte_ = true;
};

}  // namespace dbx::cli
