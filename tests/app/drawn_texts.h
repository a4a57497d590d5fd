#pragma once

#include <QColor>
#include <QPointF>
#include <QString>

#include <vector>

class QWidget;

namespace dbx::test {

// One text a widget drew: what it says, where its baseline starts (in the widget) and in
// which colour.
struct DrawnText {
    QString text;
    QPointF at;
    qreal width = 0;
    QColor colour;
};

// Every text `widget` draws when it paints itself, read back from its painter, in the order
// drawn: what a person would read there, whatever the widget keeps in its own data. Pieces
// drawn one right after the other on one line (an underlined mnemonic splits a caption) are
// joined into one text.
std::vector<DrawnText> DrawnTexts(QWidget* widget);

}  // namespace dbx::test
