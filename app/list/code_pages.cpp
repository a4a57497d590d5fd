#include "list/code_pages.h"

#include <QSettings>
#include <QStringDecoder>

#include "ansi_codepage.h"

namespace dbx {
namespace {

constexpr char kSettingsKey[] = "View/CodePage";

// The program's own settings, apart from the message box's remembered answers.
QSettings ProgramSettings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("dbxrecover"),
                     QStringLiteral("dbxrecover-gui"));
}

bool Known(const QByteArray& name) {
    return QStringDecoder(name.constData()).isValid();
}

}  // namespace

const std::vector<CodePage>& OfferedCodePages() {
    static const std::vector<CodePage> pages = [] {
        const std::vector<CodePage> wanted = {
            {"windows-1252", "Western European (Windows-1252)"},
            {"windows-1250", "Central European (Windows-1250)"},
            {"windows-1251", "Cyrillic (Windows-1251)"},
            {"windows-1253", "Greek (Windows-1253)"},
            {"windows-1254", "Turkish (Windows-1254)"},
            {"windows-1255", "Hebrew (Windows-1255)"},
            {"windows-1256", "Arabic (Windows-1256)"},
            {"windows-1257", "Baltic (Windows-1257)"},
            {"windows-1258", "Vietnamese (Windows-1258)"},
            {"windows-874", "Thai (Windows-874)"},
            {"Shift_JIS", "Japanese (Shift-JIS)"},
            {"GBK", "Chinese Simplified (GBK)"},
            {"Big5", "Chinese Traditional (Big5)"},
            {"windows-949", "Korean (Windows-949)"},
        };
        std::vector<CodePage> offered;
        for (const CodePage& page : wanted) {
            if (page.name == kDefaultCodePage || Known(page.name)) offered.push_back(page);
        }
        return offered;
    }();
    return pages;
}

QByteArray RememberedCodePage() {
    const QByteArray name = ProgramSettings().value(kSettingsKey).toByteArray();
    for (const CodePage& page : OfferedCodePages()) {
        if (page.name == name) return name;
    }
    return kDefaultCodePage;
}

void RememberCodePage(const QByteArray& name) {
    ProgramSettings().setValue(kSettingsKey, name);
}

QString DecodeStoreText(std::string_view bytes, const QByteArray& codePage) {
    if (codePage.isEmpty() || codePage == kDefaultCodePage) return AnsiToQString(bytes);
    QStringDecoder decoder(codePage.constData());
    if (!decoder.isValid()) return AnsiToQString(bytes);
    return decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
}

}  // namespace dbx
