#pragma once

#include <QString>
#include <QStringList>

namespace dbx {

// The names of a file dialog's selection text: each name in quotation marks, the names
// separated by blanks ("a.dbx" "b c.dbx"). A text that does not start with a quotation mark
// is one name, taken whole. Blanks between quoted names, empty names and a missing closing
// quotation mark are tolerated.
QStringList SplitSelectionText(const QString& text);

}  // namespace dbx
