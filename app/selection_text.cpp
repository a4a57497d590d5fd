#include "selection_text.h"

namespace dbx {

QStringList SplitSelectionText(const QString& text) {
    const QChar quote(u'"');
    if (!text.startsWith(quote)) return text.isEmpty() ? QStringList() : QStringList{text};
    QStringList names;
    qsizetype pos = 0;
    while (pos < text.size()) {
        if (text[pos] != quote) {
            ++pos;  // a blank between names, or stray text outside quotation marks
            continue;
        }
        const qsizetype close = text.indexOf(quote, pos + 1);
        const qsizetype end = close < 0 ? text.size() : close;
        const QString name = text.mid(pos + 1, end - pos - 1);
        if (!name.isEmpty()) names << name;
        pos = end + 1;
    }
    return names;
}

}  // namespace dbx
