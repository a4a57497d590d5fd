#include "common/locale_dates.h"

#include <QDateTime>
#include <QLocale>

namespace dbx {

DateFormatter LocaleDateFormatter() {
    const QLocale locale = QLocale::system();
    return [locale](std::int64_t seconds) {
        const QDateTime local = QDateTime::fromSecsSinceEpoch(seconds, Qt::LocalTime);
        const QString text = local.time() == QTime(0, 0)
                                 ? locale.toString(local.date(), QLocale::ShortFormat)
                                 : locale.toString(local, QLocale::ShortFormat);
        return text.toStdString();
    };
}

}  // namespace dbx
