#include <QFile>

#include "ansi_codepage.h"
#include "common/markup_escape.h"
#include "save/save_request.h"

namespace dbx {
namespace {

std::string Mails(int count) {
    return std::to_string(count) + (count == 1 ? " mail" : " mails");
}

// File-name bytes (and texts that hold them) as the box shows them.
std::string Shown(const std::string& bytes) {
    return EscapeMarkup(QStringToAnsi(QFile::decodeName(QByteArray::fromStdString(bytes))));
}

// "2 of them are incomplete (their mail is cut short): MailRec3.eml, MailRec7.eml"
std::string IncompleteText(const SaveReport& report) {
    std::string text =
        "\n\n" + std::to_string(report.incomplete) +
        (report.incomplete == 1 ? " of them is incomplete (its mail is cut short): "
                                : " of them are incomplete (their mail is cut short): ");
    for (std::size_t i = 0; i < report.incompleteFiles.size(); ++i) {
        if (i > 0) text += ", ";
        text += Shown(report.incompleteFiles[i]);
    }
    const int unnamed = report.incomplete - int(report.incompleteFiles.size());
    if (unnamed > 0) text += " and " + std::to_string(unnamed) + " more";
    return text;
}

}  // namespace

std::string SaveReportText(const SaveReport& report) {
    std::string text = Mails(report.saved) + " saved in\n" + Shown(report.folder);
    if (report.incomplete > 0) text += IncompleteText(report);
    if (report.already > 0) {
        text += "\n\n" + Mails(report.already) + (report.already == 1 ? " was" : " were") +
                " in the folder already, with the same bytes, and not saved again.";
    }
    if (report.failed > 0) {
        text +=
            "\n\n" + Mails(report.failed) +
            (report.failed == 1 ? " could not be saved: " : " could not be saved; the first: ") +
            Shown(report.firstFailure);
    }
    const int untried = report.total - report.saved - report.already - report.failed;
    if (report.cancelled && untried > 0) {
        text += "\n\nSaving was cancelled: " + Mails(untried) + " not saved.";
    }
    return text;
}

}  // namespace dbx
