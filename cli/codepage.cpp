#include "codepage.h"

#include <algorithm>
#include <cctype>
#include <cerrno>

namespace dbx::cli {

std::unique_ptr<CodePageDecoder> CodePageDecoder::Open(std::string name) {
    if (!name.empty() && std::all_of(name.begin(), name.end(), ::isdigit)) name = "CP" + name;
    iconv_t cd = iconv_open("UTF-8", name.c_str());
    if (cd == iconv_t(-1)) return nullptr;
    return std::unique_ptr<CodePageDecoder>(new CodePageDecoder(cd));
}

CodePageDecoder::CodePageDecoder(iconv_t cd) : cd_(cd) {
    for (int b = 1; b < 256 && singleByte_; ++b) {
        char byte = char(b);
        char out[8];
        char* in = &byte;
        char* dst = out;
        std::size_t inLeft = 1, outLeft = sizeof out;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd_, &in, &inLeft, &dst, &outLeft) != std::size_t(-1)) {
            table_[std::size_t(b)].assign(out, std::size_t(dst - out));
        } else if (errno == EILSEQ) {
            table_[std::size_t(b)] = "\xEF\xBF\xBD";
        } else {
            singleByte_ = false;  // a lead byte: the code page has multi-byte characters
        }
    }
    table_[0] = std::string(1, '\0');
}

CodePageDecoder::~CodePageDecoder() {
    iconv_close(cd_);
}

std::string CodePageDecoder::Decode(std::string_view bytes) {
    std::string out;
    DecodeInto(bytes, out);
    return out;
}

void CodePageDecoder::DecodeInto(std::string_view bytes, std::string& out) {
    if (!singleByte_) {
        out = DecodeWithIconv(bytes);
        return;
    }
    out.clear();
    for (unsigned char b : bytes) out += table_[b];
}

std::string CodePageDecoder::DecodeWithIconv(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char buffer[256];
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    while (inLeft > 0) {
        char* dst = buffer;
        std::size_t dstLeft = sizeof buffer;
        const std::size_t rc = iconv(cd_, &in, &inLeft, &dst, &dstLeft);
        out.append(buffer, std::size_t(dst - buffer));
        if (rc == std::size_t(-1) && errno != E2BIG) {
            out += "\xEF\xBF\xBD";  // U+FFFD for a byte the code page leaves undefined
            ++in;
            --inLeft;
        }
    }
    return out;
}

}  // namespace dbx::cli
