#include "message_filter.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include "browser_pane.h"
#include "recovery_dialog.h"

namespace dbx {

MessageFilter::MessageFilter(RecoveryDialog* dialog) : QObject(dialog), dialog_(dialog) {}

bool MessageFilter::InDialog(QObject* target) const {
    auto* widget = qobject_cast<QWidget*>(target);
    return widget && (widget == dialog_ || dialog_->isAncestorOf(widget));
}

bool MessageFilter::InPreviewPane(QObject* target) const {
    auto* widget = qobject_cast<QWidget*>(target);
    BrowserPane* pane = dialog_->Pane();
    return widget && pane && (widget == pane || pane->isAncestorOf(widget));
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
                dialog_->OnHelp();
                return true;
            }
            if (key->key() == Qt::Key_Space && (key->modifiers() & Qt::AltModifier)) {
                dialog_->ShowSystemMenu();
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
