#include "list/find_bar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace dbx {

FindBar::FindBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("findBar"));
    setAutoFillBackground(true);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(6);
    auto* label = new QLabel(QStringLiteral("Find:"), this);
    field_ = new QLineEdit(this);
    field_->setObjectName(QStringLiteral("findField"));
    field_->setPlaceholderText(QStringLiteral("From, To or Subject"));
    field_->setClearButtonEnabled(true);
    label->setBuddy(field_);
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("findSummary"));
    close_ = new QToolButton(this);
    close_->setText(QStringLiteral("\u2715"));
    close_->setToolTip(QStringLiteral("Close the find bar (Esc)"));
    close_->setAutoRaise(true);
    layout->addWidget(label);
    layout->addWidget(field_, 1);
    layout->addWidget(summary_, 2);
    layout->addWidget(close_);
    connect(field_, &QLineEdit::textChanged, this, &FindBar::TextChanged);
    field_->installEventFilter(this);
    connect(close_, &QToolButton::clicked, this, &FindBar::Close);
    hide();
}

void FindBar::Open() {
    show();
    raise();
    field_->setFocus(Qt::ShortcutFocusReason);
    field_->selectAll();
}

void FindBar::Close() {
    if (isHidden()) return;
    field_->clear();  // the list shows every row again
    hide();
    emit Closed();
}

QString FindBar::Text() const {
    return field_->text();
}

void FindBar::SetCounts(int shown, int total) {
    if (field_->text().isEmpty()) {
        summary_->clear();
        return;
    }
    summary_->setText(QStringLiteral("%1 of %2 messages shown; Select all and Save act on these")
                          .arg(shown)
                          .arg(total));
}

QString FindBar::Summary() const {
    return summary_->text();
}

bool FindBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == field_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Down || key == Qt::Key_Return || key == Qt::Key_Enter) {
            emit ToList(key != Qt::Key_Down);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FindBar::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        Close();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace dbx
