#include "static_text.h"

namespace dbx {

StaticText::StaticText(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setWordWrap(true);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void StaticText::SetWindowText(const QString& text) {
    text_ = text;
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    setText(shown);
    OnWindowTextChanged();
}

}  // namespace dbx
