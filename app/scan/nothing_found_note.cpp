#include "scan/nothing_found_note.h"

#include <QEvent>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

#include "scan/scan_job.h"
#include "store_file.h"
#include "store_search.h"

namespace dbx {
namespace {

constexpr int kMargin = 12;

}  // namespace

std::string NothingFoundReason(const std::string& path, const ScanResult& result) {
    const ScanReport& report = result.report;
    switch (report.outcome) {
        case ScanOutcome::OpenFailed:
            return "cannot read '" + path + "': " + DescribeOpenError(report.error);
        case ScanOutcome::Stopped:
            return {};
        case ScanOutcome::Finished:
            break;
    }
    std::string reason = WhyNothingWasFound("'" + path + "'", report);
    if (result.displacement != 0 || result.blocksFound) {
        reason += ", but it holds message blocks that Deep search can put together";
    }
    return reason;
}

NothingFoundNote::NothingFoundNote(QWidget* list) : QWidget(list), list_(list) {
    setObjectName(QStringLiteral("nothingFound"));
    // The list's own paper, so that the note reads as part of the empty list.
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    reason_ = new QLabel(this);
    reason_->setObjectName(QStringLiteral("nothingFoundReason"));
    reason_->setWordWrap(true);
    reason_->setTextFormat(Qt::PlainText);
    reason_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    deep_ = new QPushButton(QStringLiteral("Run Deep search"), this);
    deep_->setObjectName(QStringLiteral("runDeepSearch"));
    deep_->setToolTip(QStringLiteral("Search the store again, for the mails no record leads to"));
    column->addWidget(reason_);
    column->addWidget(deep_, 0, Qt::AlignLeft);
    column->addStretch(1);
    connect(deep_, &QPushButton::clicked, this, [this] {
        hide();
        emit DeepSearchAsked();
    });
    list_->installEventFilter(this);
    hide();
}

void NothingFoundNote::ShowFor(const std::string& path, const ScanResult& result, bool deep) {
    const std::string reason = NothingFoundReason(path, result);
    const QString name = QFile::decodeName(QByteArray::fromStdString(reason));
    reason_->setText(QStringLiteral("No messages found") +
                     (reason.empty() ? QStringLiteral(".") : QStringLiteral(": ") + name + '.'));
    const bool offer = !deep && result.report.outcome == ScanOutcome::Finished &&
                       (result.displacement != 0 || result.blocksFound);
    deep_->setVisible(offer);
    FollowList();
    show();
    raise();
}

bool NothingFoundNote::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::Resize) FollowList();
    return false;
}

void NothingFoundNote::FollowList() {
    // Below the list's header, over its empty rows.
    const auto* table = qobject_cast<QTableView*>(list_);
    const int top = table ? table->horizontalHeader()->height() + 1 : 1;
    setGeometry(1, top, std::max(0, list_->width() - 2), std::max(0, list_->height() - top - 1));
}

}  // namespace dbx
