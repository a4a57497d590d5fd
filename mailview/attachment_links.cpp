#include "attachment_links.h"

namespace dbx {
namespace {

constexpr int kMaxDigits = 9;  // part numbers stay far below this

}  // namespace

std::string AttachmentLink(AttachmentAction action, int part) {
    return std::string(kAttachmentScheme) +
           (action == AttachmentAction::Open ? ":open/" : ":save/") + std::to_string(part);
}

bool ReadAttachmentLink(const QUrl& url, AttachmentAction* action, int* part) {
    if (url.scheme() != QLatin1String(kAttachmentScheme) || url.hasQuery() || url.hasFragment() ||
        !url.host().isEmpty()) {
        return false;
    }
    const QString path = url.path();
    const qsizetype slash = path.indexOf(QLatin1Char('/'));
    if (slash < 0) return false;
    const QString verb = path.left(slash);
    const QString number = path.mid(slash + 1);
    if (number.isEmpty() || number.size() > kMaxDigits) return false;
    for (const QChar c : number) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    }
    if (verb == QLatin1String("open")) {
        *action = AttachmentAction::Open;
    } else if (verb == QLatin1String("save")) {
        *action = AttachmentAction::Save;
    } else {
        return false;
    }
    *part = number.toInt();
    return true;
}

}  // namespace dbx
