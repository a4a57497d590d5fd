#include <QFile>

#include "ansi_codepage.h"
#include "markup_escape.h"
#include "save_request.h"

namespace dbx {
namespace {

std::string Mails(int count) {
    return std::to_string(count) + (count == 1 ? " mail" : " mails");
}

// File-name bytes (and texts that hold them) as the box shows them.
std::string Shown(const std::string& bytes) {
    return EscapeMarkup(QStringToAnsi(QFile::decodeName(QByteArray::fromStdString(bytes))));
}

}  // namespace

std::string SaveReportText(const SaveReport& report) {
    std::string text = Mails(report.saved) + " saved in\n" + Shown(report.folder);
    if (report.failed > 0) {
        text +=
            "\n\n" + Mails(report.failed) +
            (report.failed == 1 ? " could not be saved: " : " could not be saved; the first: ") +
            Shown(report.firstFailure);
    }
    const int untried = report.total - report.saved - report.failed;
    if (report.cancelled && untried > 0) {
        text += "\n\nSaving was cancelled: " + Mails(untried) + " not saved.";
    }
    return text;
}

}  // namespace dbx
