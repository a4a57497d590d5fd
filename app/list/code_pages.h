#pragma once

#include <QByteArray>
#include <QString>

#include <string_view>
#include <vector>

namespace dbx {

// A code page the user can read the store's texts in.
struct CodePage {
    QByteArray name;  // as QStringDecoder knows it, e.g. "windows-1251"
    QString label;    // as the menu shows it
};

constexpr char kDefaultCodePage[] = "windows-1252";

// The common single-byte Windows code pages and the East Asian ones, those this system's Qt can
// decode, windows-1252 first.
const std::vector<CodePage>& OfferedCodePages();

// The code page picked in an earlier run, or windows-1252; RememberCodePage keeps one for the
// next run.
QByteArray RememberedCodePage();
void RememberCodePage(const QByteArray& name);

// Store bytes read in a code page; an unknown one reads as windows-1252.
QString DecodeStoreText(std::string_view bytes, const QByteArray& codePage);

}  // namespace dbx
