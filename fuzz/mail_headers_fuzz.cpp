// The reader of a mail's own header, the only parser the deep recovery runs on text that no
// index record vouches for.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "mail_headers.h"

namespace {

// The deep search hands the reader at most a few kilobytes of a chain's start.
constexpr std::size_t kMaxText = 16 * 1024;

bool ValidUtf8(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const std::size_t n = c < 0x80         ? 1
                              : (c >> 5) == 6  ? 2
                              : (c >> 4) == 14 ? 3
                              : (c >> 3) == 30 ? 4
                                               : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (std::size_t k = 1; k < n; ++k) {
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        }
        i += n;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), std::min(size, kMaxText));
    const dbx::MailHeaders headers = dbx::ReadMailHeaders(text);
    // The listing and the file names take these as UTF-8.
    if (!ValidUtf8(headers.from) || !ValidUtf8(headers.to) || !ValidUtf8(headers.subject)) {
        abort();
    }
    (void)dbx::StartsWithHeaderField(text);
    // A header judged whole must start with a field, as the chain judge relies on.
    if (dbx::StartsWithMailHeader(text, true) && !dbx::StartsWithHeaderField(text)) abort();
    (void)dbx::StartsWithMailHeader(text, false);
    (void)dbx::ParseMailDate(text);
    (void)dbx::DecodeEncodedWords(text);
    return 0;
}
