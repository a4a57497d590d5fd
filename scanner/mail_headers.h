#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dbx {

// The header fields a listing shows, read from a message's own text.
struct MailHeaders {
    std::string from;  // decoded to UTF-8, runs of blanks made one blank
    std::string to;
    std::string subject;
    std::optional<std::int64_t> dateSeconds;  // the Date field, seconds since 1970 UTC
};

// Reads the header of an Internet mail text (up to its first empty line or the end of
// `text`). Folded lines are joined; encoded words (RFC 2047, "B" and "Q") are decoded; other
// bytes that are not UTF-8 are read as Latin-1.
MailHeaders ReadMailHeaders(std::string_view text);

// Whether `text` starts with a header field ("Name: value"), as a message does.
bool StartsWithHeaderField(std::string_view text);

// Whether `text` starts with a mail header: field lines ("Name: value") and their folded
// continuations, without a NUL byte, up to the first empty line or the end of `text`. Unless
// `whole` (the text is all there is), its last line may be cut short. What follows the header
// (the body) is not looked at.
bool StartsWithMailHeader(std::string_view text, bool whole);

// "Tue, 3 Feb 2004 14:05:09 +0100" (RFC 5322, obsolete zone names too) as seconds since
// 1970 UTC.
std::optional<std::int64_t> ParseMailDate(std::string_view text);

// Encoded words decoded; text between two encoded words that is only blanks is dropped.
std::string DecodeEncodedWords(std::string_view text);

}  // namespace dbx
