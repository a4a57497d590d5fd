#include "commands/message_filter.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

namespace dbx {

MessageFilter::MessageFilter(QWidget* dialog, QWidget* pane, std::function<void()> help,
                             std::function<void()> systemMenu)
    : QObject(dialog),
      dialog_(dialog),
      pane_(pane),
      help_(std::move(help)),
      systemMenu_(std::move(systemMenu)) {}

bool MessageFilter::InDialog(QObject* target) const {
    auto* widget = qobject_cast<QWidget*>(target);
    return widget && (widget == dialog_ || dialog_->isAncestorOf(widget));
}

bool MessageFilter::InPreviewPane(QObject* target) const {
    auto* widget = qobject_cast<QWidget*>(target);
    return widget && pane_ && (widget == pane_ || pane_->isAncestorOf(widget));
}

bool MessageFilter::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            return static_cast<QMouseEvent*>(event)->button() == Qt::RightButton &&
                   InPreviewPane(watched);
        case QEvent::ContextMenu:
            return InPreviewPane(watched);
        case QEvent::KeyPress: {
            if (!InDialog(watched)) return false;
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_F1) {
                help_();
                return true;
            }
            if (key->key() == Qt::Key_Space && (key->modifiers() & Qt::AltModifier)) {
                systemMenu_();
                return true;
            }
            const bool enterOrEscape = key->key() == Qt::Key_Return ||
                                       key->key() == Qt::Key_Enter || key->key() == Qt::Key_Escape;
            // The focused control gets the key as any other; a button must not take it as
            // a press.
            return enterOrEscape && qobject_cast<QAbstractButton*>(watched);
        }
        default:
            return false;
    }
}

}  // namespace dbx
