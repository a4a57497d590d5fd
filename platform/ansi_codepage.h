#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace dbx {

// The single-byte texts of the system are in the Windows-1252 code page.

QString AnsiToQString(std::string_view bytes);

// Characters outside the code page become '?'.
std::string QStringToAnsi(const QString& text);

// Case mapping of one Windows-1252 byte; bytes without a case partner are returned unchanged.
char AnsiToUpper(char c);
char AnsiToLower(char c);

std::string AnsiUpper(std::string_view text);
std::string AnsiLower(std::string_view text);

}  // namespace dbx
