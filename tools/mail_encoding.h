#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Pieces of RFC 5322 / MIME text as Outlook Express 6 writes them: CRLF line ends,
// windows-1252 text labelled iso-8859-1.
namespace dbx::gen {

// "Tue, 3 Feb 2004 14:05:09 +0100", in the sender's zone.
std::string HeaderDate(std::int64_t utc, int zoneMinutes);
// "Tuesday, February 3, 2004 2:05 PM", as in the header of a quoted message.
std::string SentLine(std::int64_t utc, int zoneMinutes);

bool IsAscii(std::string_view text);

// The text itself when it is ASCII, else RFC 2047 "Q" encoded words.
std::string HeaderText(std::string_view text);

// Quoted-printable with soft breaks before column 76; the input's lines end in CRLF.
std::string QuotedPrintable(std::string_view text);

// Base64 in lines of 76 characters.
void AppendBase64(std::string& out, const std::uint8_t* data, std::size_t n);

std::string HtmlEscape(std::string_view text);

// The paragraph broken at blanks into lines of up to 72 characters, `prefix` included, each
// ended with CRLF; a word too long for a line is cut.
void AppendWrapped(std::string& out, std::string_view paragraph, std::string_view prefix = {});

}  // namespace dbx::gen
