#pragma once

#include <QMetaObject>
#include <QObject>
#include <QThread>

#include <utility>

namespace dbx {

// Runs `change` on the thread of `window` and returns when it is done. Changes made this way
// by one job reach the window in the order they were made.
template <typename Change>
void CallOnUi(QObject* window, Change&& change) {
    if (QThread::currentThread() == window->thread()) {
        change();
        return;
    }
    QMetaObject::invokeMethod(window, std::forward<Change>(change), Qt::BlockingQueuedConnection);
}

}  // namespace dbx
